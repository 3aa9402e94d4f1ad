#include "app/orvix_win_view.h"

#include "app/fonts.h"
#include "app/new_document_command.h"
#include "app/orvix_win_app.h"
#include "app/ui_text.h"
#include "app/upgrade_dlg.h"
#include "platform/resources.h"
#include "platform/ui_services.h"

#include <QAction>
#include <QHelpEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QToolTip>

#include <array>

namespace orvix {

namespace {

using Window = COrvixWinApp::Window;
using Action = COrvixWinApp::Action;

struct ButtonLayout {
    int number;
    UiRow name;
    int normal;
    int pressed;
};

// The strip from left to right; every picture is as large as its button.
constexpr std::array kButtonLayouts{
    ButtonLayout{COrvixWinView::Chatting, UiRow::Chatting, res::LauncherChatting,
                 res::LauncherChattingPressed},
    ButtonLayout{COrvixWinView::Square, UiRow::SquareButton, res::LauncherSquare,
                 res::LauncherSquarePressed},
    ButtonLayout{COrvixWinView::Story, UiRow::Story, res::LauncherStory, res::LauncherStoryPressed},
    ButtonLayout{COrvixWinView::Information, UiRow::MyInformation, res::LauncherInformation,
                 res::LauncherInformationPressed},
    ButtonLayout{COrvixWinView::AddStore, UiRow::AddStore, res::LauncherAddStore,
                 res::LauncherAddStorePressed},
};

constexpr int kButtonWidth = 96;
constexpr int kButtonHeight = 132;

// The context menu's entry for the About dialog.
constexpr LocalText kAbout{u"Orvix 정보", u"关于Orvix", u"About Orvix"};

void hideWindow(Window which) {
    if (QWidget* window = COrvixWinApp::current().window(which))
        window->hide();
}

} // namespace

COrvixWinView::COrvixWinView(QWidget* parent)
    : QWidget(parent)
    , m_aboutAction(new QAction(kAbout.pick(COrvixWinApp::current().session().country), this)) {
    connect(m_aboutAction, &QAction::triggered, this, [] { COrvixWinApp::current().OnAppAbout(); });
    addAction(m_aboutAction);
    NewDocumentCommand::addTo(this, m_aboutAction);
    setContextMenuPolicy(Qt::ActionsContextMenu);
}

COrvixWinView::~COrvixWinView() = default;

void COrvixWinView::OnInitialUpdate() {
    CreateButtons();
    update();
    CheckVersion();
}

void COrvixWinView::CreateButtons() {
    m_buttons.clear();
    m_pressed = 0;
    const int country = COrvixWinApp::current().session().country;
    // Each picture shows the button's name in the member's language, drawn for this screen.
    m_pictureRatio = devicePixelRatioF();
    int left = 0;
    for (const ButtonLayout& layout : kButtonLayouts) {
        const QString name = uiText(layout.name, country);
        const res::PictureWords words{{QStringLiteral("font"), pictureFace(country)},
                                      {QStringLiteral("name"), name}};
        m_buttons.emplace_back(res::picture(layout.normal, m_pictureRatio, words),
                               res::picture(layout.pressed, m_pictureRatio, words),
                               QRect(left, 0, kButtonWidth, kButtonHeight), this, name,
                               layout.number);
        left += kButtonWidth;
    }
}

void COrvixWinView::CheckVersion() {
    const SessionRecord& session = COrvixWinApp::current().session();
    if (SessionRecord::clientVersionCode == session.latestVersionCode)
        return;
    UpGradeDlg dialog;
    COrvixWinApp::current().ui().runModal(dialog);
    if (const auto code = dialog.requestedExitCode())
        emit exitRequested(*code);
}

int COrvixWinView::buttonAt(const QPoint& point) const {
    for (const CLauncherButton& button : m_buttons) {
        if (button.contains(point))
            return button.number();
    }
    return 0;
}

void COrvixWinView::paintEvent(QPaintEvent*) {
    // On a screen of another pixel density the pictures are drawn again for it.
    if (!m_buttons.empty() && devicePixelRatioF() != m_pictureRatio) {
        const int pressed = m_pressed;
        CreateButtons();
        m_pressed = pressed;
    }
    QPainter painter(this);
    painter.setCompositionMode(QPainter::CompositionMode_Source);
    for (const CLauncherButton& button : m_buttons) {
        if (button.number() == m_pressed)
            button.drawPressed(painter);
        else
            button.drawNormal(painter);
    }
}

void COrvixWinView::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) {
        QWidget::mousePressEvent(event);
        return;
    }
    m_pressed = buttonAt(event->position().toPoint());
    // The pressed picture shows at once, not at the next idle paint.
    if (m_pressed != 0)
        repaint();
}

void COrvixWinView::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) {
        QWidget::mouseReleaseEvent(event);
        return;
    }
    const QPoint point = event->position().toPoint();
    for (const CLauncherButton& button : m_buttons) {
        if (button.contains(point))
            button.sendCommand();
    }
    m_pressed = 0;
    update();
}

bool COrvixWinView::event(QEvent* event) {
    // The button's name also shows as its tool tip.
    if (event->type() == QEvent::ToolTip) {
        auto* help = static_cast<QHelpEvent*>(event);
        for (const CLauncherButton& button : m_buttons) {
            if (button.contains(help->pos())) {
                QToolTip::showText(help->globalPos(), button.name(), this, button.rect());
                return true;
            }
        }
        QToolTip::hideText();
        event->ignore();
        return true;
    }
    return QWidget::event(event);
}

int COrvixWinView::onMessage(int message, WParam wParam, LParam) {
    if (message != Msg::LauncherCommand)
        return 0;
    if (wParam < Chatting || wParam > AddStore)
        return 0;
    return OnLauncherCommand(static_cast<int>(wParam));
}

int COrvixWinView::OnLauncherCommand(int number) {
    // A feature that has not registered its window or action yet leaves its button inert.
    switch (number) {
    case Chatting:
        ToggleChatting();
        return 1;
    case Square:
        ToggleSquare();
        return 1;
    case Story: {
        // The library runs modally over the chat window.
        COrvixWinApp& application = COrvixWinApp::current();
        application.runAction(Action::OpenDocumentLibrary,
                              QVariant::fromValue(application.window(Window::ChatFrame)));
        return 1;
    }
    case Information:
        COrvixWinApp::current().runAction(Action::OpenMemberContent);
        return 1;
    case AddStore:
        COrvixWinApp::current().runAction(Action::OpenStoreContent);
        return 1;
    default:
        return 0;
    }
}

void COrvixWinView::ToggleChatting() {
    COrvixWinApp& application = COrvixWinApp::current();
    if (!application.window(Window::ChatView))
        return;
    hideWindow(Window::PostListFrame);
    hideWindow(Window::PostFrame);
    QWidget* chat = application.window(Window::ChatFrame);
    application.ShowChatWindows(!chat || !chat->isVisible());
}

void COrvixWinView::ToggleSquare() {
    COrvixWinApp& application = COrvixWinApp::current();
    QWidget* postList = application.window(Window::PostListFrame);
    if (!postList)
        return;
    if (postList->isVisible()) {
        application.ShowChatWindows(false);
        postList->hide();
        hideWindow(Window::PostFrame);
        return;
    }
    // The request for a fresh list only goes out; its reply fills the list later, so the chat
    // windows can be hidden after it without changing anything the member sees.
    if (application.runAction(Action::RequestPostList)) {
        application.ShowChatWindows(false);
        postList->show();
    }
}

} // namespace orvix
