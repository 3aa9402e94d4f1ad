#include "chat/chat_tool_dlg.h"

#include "app/orvix_win_app.h"
#include "chat/chat_message.h"
#include "chat/chat_view.h"
#include "chat/photo_preparer.h"
#include "platform/environment.h"
#include "platform/ui_services.h"

#include <QFileInfo>
#include <QKeyEvent>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPushButton>

namespace orvix {

DialogTemplate CChatToolDlg::dialogTemplate() {
    DialogTemplate dialog;
    dialog.resourceId = ResourceId;
    dialog.size = QSize(396, 97);
    dialog.fontFace = QStringLiteral("MS Shell Dlg");
    dialog.pointSize = 8;
    dialog.controls = {
        {EditId, ControlKind::Edit, EditRect, {}, ControlStyle::MultiLine | ControlStyle::VScroll},
        {PhotoId, ControlKind::Button, PhotoRect, QStringLiteral("사진")},
        {SendId, ControlKind::Button, SendRect, QStringLiteral("전송(F9)")},
    };
    return dialog;
}

CChatToolDlg::CChatToolDlg(CChatView* chatView)
    : TemplateDialog(dialogTemplate(), nullptr)
    , m_chatView(chatView)
    , m_edit(control<QPlainTextEdit>(EditId)) {
    // A window of its own under the pane, with a thin border and no caption. It has no parent
    // widget, so it is never a child window of the chat window; the view releases it.
    setWindowFlags(Qt::Tool | Qt::FramelessWindowHint);
    setMinimumSize(0, 0);
    setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
    m_edit->installEventFilter(this);
    connect(control<QPushButton>(SendId), &QPushButton::clicked, this, &CChatToolDlg::SendText);
    connect(control<QPushButton>(PhotoId), &QPushButton::clicked, this, &CChatToolDlg::PickPhoto);
    hide();
}

bool CChatToolDlg::eventFilter(QObject* watched, QEvent* event) {
    // F9 sends before the box sees the key (which means nothing to the box or the panel).
    if (watched == m_edit && event->type() == QEvent::KeyPress &&
        static_cast<QKeyEvent*>(event)->key() == Qt::Key_F9) {
        SendText();
        return true;
    }
    return TemplateDialog::eventFilter(watched, event);
}

void CChatToolDlg::keyPressEvent(QKeyEvent* event) {
    // F9 with the focus elsewhere in the panel (a button).
    if (event->key() == Qt::Key_F9)
        SendText();
    TemplateDialog::keyPressEvent(event);
}

void CChatToolDlg::paintEvent(QPaintEvent* event) {
    TemplateDialog::paintEvent(event);
    QPainter painter(this);
    painter.setPen(QColor(127, 127, 127));
    painter.drawRect(rect().adjusted(0, 0, -1, -1));
}

void CChatToolDlg::resizeEvent(QResizeEvent* event) {
    TemplateDialog::resizeEvent(event);
    // The panel is placed at a fixed height under its pane, whatever the dialog font makes of
    // the template's units; the box keeps its place and ends inside the panel, above its border.
    const QRect designed = units().toPixels(EditRect);
    const int bottom = std::min(designed.bottom(), height() - EditBottomMargin - 1);
    const int right = std::min(designed.right(), width() - EditBottomMargin - 1);
    m_edit->setGeometry(designed.left(), designed.top(), std::max(0, right - designed.left() + 1),
                        std::max(0, bottom - designed.top() + 1));
    // A panel narrower than the font makes the template's units (its pane follows the frame's
    // inside) moves the two buttons left together, so the send button stays whole and usable.
    const QRect photo = units().toPixels(PhotoRect);
    const QRect send = units().toPixels(SendRect);
    const int shift = std::max(0, send.right() - (width() - EditBottomMargin - 1));
    const int left = std::max(0, photo.left() - shift) - photo.left();
    control<QPushButton>(PhotoId)->setGeometry(photo.translated(left, 0));
    control<QPushButton>(SendId)->setGeometry(send.translated(left, 0));
}

void CChatToolDlg::SendText() {
    QString text = m_edit->toPlainText();
    text.replace(u'\n', QStringLiteral("\r\n"));
    if (m_chatView)
        m_chatView->AddOwnMessage(text, ChatMessage::Text);
    m_edit->clear();
}

void CChatToolDlg::PickPhoto() {
    COrvixWinApp& app = COrvixWinApp::current();
    FileOpenRequest request;
    request.filter = PhotoFilter;
    request.initialName = QStringLiteral("*.JPG");
    const QStringList chosen = app.ui().chooseFiles(this, request);
    if (chosen.isEmpty())
        return;
    PreparePhoto(chosen.first(), QFileInfo(chosen.first()).fileName());
}

bool CChatToolDlg::PreparePhoto(const QString& path, const QString& name) {
    COrvixWinApp& app = COrvixWinApp::current();
    const PhotoPreparer preparer(app.session().workFolder, app.session().memberNumber);
    const auto content = preparer.PreparePhoto(path, name, app.environment().currentTimeSeconds());
    if (!content)
        return false;
    if (m_chatView)
        m_chatView->AddOwnMessage(*content, ChatMessage::Photo);
    return true;
}

} // namespace orvix
