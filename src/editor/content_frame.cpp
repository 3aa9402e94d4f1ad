#include "editor/content_frame.h"

#include "app/document_dialog_run.h"
#include "app/ui_text.h"
#include "app/web_dialog.h"
#include "editor/content_view.h"
#include "editor/picture_button.h"
#include "platform/dialog_template.h"
#include "platform/ui_services.h"

#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QToolBar>

#include <array>
#include <cmath>

namespace orvix {

namespace {

using Action = COrvixWinApp::Action;

constexpr int kButtonSize = 40;
constexpr int kGap = 2;
constexpr int kBarWidth = 552;

struct Command {
    int id;
    int bitmap;
};

// The tool bar's picture buttons in their order, in two rows.
constexpr std::array kFirstRow{
    Command{CContentFrame::AddPhotoButton, 170},    Command{CContentFrame::AddDocumentButton, 171},
    Command{CContentFrame::TextStyleButton, 173},   Command{CContentFrame::BackgroundButton, 177},
    Command{CContentFrame::TextColourButton, 178},  Command{CContentFrame::AlignLeftButton, 174},
    Command{CContentFrame::AlignCentreButton, 175}, Command{CContentFrame::AlignRightButton, 176},
    Command{CContentFrame::ModifyTextButton, 179},
};
constexpr std::array kSecondRow{
    Command{CContentFrame::DeleteButton, 181},    Command{CContentFrame::WebLinkButton, 182},
    Command{CContentFrame::MoveUpButton, 183},    Command{CContentFrame::MoveDownButton, 184},
    Command{CContentFrame::MoveToTopButton, 185}, Command{CContentFrame::MoveToEndButton, 186},
    Command{CContentFrame::AddTextButton, 180},   Command{CContentFrame::PreviewButton, 196},
};

const QString kPhotoFilter = QStringLiteral("JPG(*.JPG)|*.JPG||");

} // namespace

CContentFrame::CContentFrame(QWidget* parent)
    : FeatureFrame(COrvixWinApp::Window::ContentFrame, Caption::WithoutSystemMenu,
                   uiText(UiRow::ContentEditor, COrvixWinApp::current().session().country),
                   QRect(centredLeft(800), 200, 580, 600), parent)
    , m_view(new CContentView(this)) {
    m_titleBar = buildTitleBar();
    m_toolBar = buildToolBar();
    setCentralWidget(m_view);
    m_view->setTitleBox(m_title);
    m_view->setTextBox(m_text);
    dock(m_titleBar, Qt::TopToolBarArea, QStringLiteral("titleBar"));
    dock(m_toolBar, Qt::BottomToolBarArea, QStringLiteral("toolBar"));

    COrvixWinApp& app = COrvixWinApp::current();
    app.setAction(Action::OpenMemberContent, [this](const QVariant&) {
        show();
        raise();
        m_view->OpenMemberContent();
    });
    app.setAction(Action::OpenStoreContent, [this](const QVariant&) {
        show();
        raise();
        m_view->OpenStoreContent();
    });
    // A post's editor command: a new, empty content that belongs to the post (no question
    // about the content being edited); the view shows this window.
    app.setAction(Action::OpenPostContent, [this](const QVariant& mailIndex) {
        m_view->StartNewPostContent(mailIndex.toString());
    });
}

QToolBar* CContentFrame::dock(QWidget* bar, Qt::ToolBarArea area, const QString& name) {
    auto* toolBar = new QToolBar(this);
    toolBar->setObjectName(name);
    toolBar->setMovable(true);
    toolBar->setFloatable(false);
    toolBar->setAllowedAreas(Qt::AllToolBarAreas);
    toolBar->addWidget(bar);
    addToolBar(area, toolBar);
    return toolBar;
}

QWidget* CContentFrame::buildTitleBar() {
    auto* bar = new QWidget(this);
    bar->setFixedSize(kBarWidth, kButtonSize + 2 * kGap);
    const int country = COrvixWinApp::current().session().country;
    auto* subject = new QLabel(uiText(UiRow::Subject, country), bar);
    subject->setObjectName(controlName(SubjectLabel));
    subject->setGeometry(6, 12, 60, 20);
    m_title = new QLineEdit(bar);
    m_title->setObjectName(controlName(TitleEdit));
    m_title->setGeometry(68, 10, 400, 24);
    auto* upload = new PictureButton(UploadButton, 187, bar);
    upload->move(kBarWidth - 2 * (kButtonSize + kGap), kGap);
    connect(upload, &QAbstractButton::clicked, this, &CContentFrame::OnUpload);
    auto* close = new PictureButton(CloseButton, 189, bar);
    close->move(kBarWidth - kButtonSize - kGap, kGap);
    connect(close, &QAbstractButton::clicked, this, &QWidget::hide);
    return bar;
}

QWidget* CContentFrame::buildToolBar() {
    auto* bar = new QWidget(this);
    constexpr int textHeight = 56;
    bar->setFixedSize(kBarWidth, textHeight + 2 * kButtonSize + 4 * kGap);
    m_text = new QPlainTextEdit(bar);
    m_text->setObjectName(controlName(TextEdit));
    m_text->setGeometry(0, 0, kBarWidth, textHeight);
    m_text->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    m_text->setTabChangesFocus(true);

    CContentView* view = m_view;
    const std::map<int, std::function<void()>> commands = {
        {AddPhotoButton, [this] { OnAddPhoto(); }},
        {AddDocumentButton, [this] { OnAddDocument(); }},
        {TextStyleButton, [this] { OnTextStyle(); }},
        {BackgroundButton, [this] { OnBackgroundColour(); }},
        {TextColourButton, [this] { OnTextColour(); }},
        {AlignLeftButton, [view] { view->SetAlignment(0); }},
        {AlignCentreButton, [view] { view->SetAlignment(1); }},
        {AlignRightButton, [view] { view->SetAlignment(2); }},
        {ModifyTextButton, [this] { OnModifyText(); }},
        {DeleteButton, [view] { view->DeleteSelected(); }},
        {WebLinkButton, [view] { view->SetLink(); }},
        {MoveUpButton, [view] { view->MoveUp(); }},
        {MoveDownButton, [view] { view->MoveDown(); }},
        {MoveToTopButton, [view] { view->MoveToFirst(); }},
        {MoveToEndButton, [view] { view->MoveToLast(); }},
        {AddTextButton, [this] { OnAddText(); }},
        {PreviewButton, [this] { OnPreview(); }},
    };
    const auto addRow = [&](const auto& row, int top) {
        int left = 0;
        for (const Command& command : row) {
            auto* button = new PictureButton(command.id, command.bitmap, bar);
            button->move(left, top);
            connect(button, &QAbstractButton::clicked, this, commands.at(command.id));
            left += kButtonSize + kGap;
        }
    };
    addRow(kFirstRow, textHeight + kGap);
    addRow(kSecondRow, textHeight + 2 * kGap + kButtonSize);
    return bar;
}

void CContentFrame::OnAddPhoto() {
    COrvixWinApp& app = COrvixWinApp::current();
    FileOpenRequest request;
    request.filter = kPhotoFilter;
    request.initialName = QStringLiteral("*.JPG");
    const QStringList chosen = app.ui().chooseFiles(this, request);
    if (chosen.isEmpty())
        return;
    const QFileInfo file(chosen.first());
    if (file.suffix().toUpper() != u"JPG") {
        app.ui().messageBox(this, COrvixWinApp::ApplicationTitle, CContentView::NotJpgMessage);
        return;
    }
    m_view->AddPhoto(file.absoluteFilePath(), file.fileName());
}

void CContentFrame::OnAddDocument() {
    // The documents feature's dialog registers the document; a registered one becomes a block.
    // Without that dialog, or when it ends otherwise than with OK, nothing is added.
    DocumentDialogRun run;
    run.parent = this;
    if (!DocumentDialogRun::run(COrvixWinApp::current(), run) || run.result != DialogResult::Ok)
        return;
    m_view->AddDocument(run.fileName, run.address, run.extension, run.comment);
}

int CContentFrame::sizeOfChosenFont(const QFont& font) {
    if (font.pixelSize() > 0)
        return -font.pixelSize();
    // Points at 96 dots per inch, rounded as the platform rounds them.
    return -int(std::lround(font.pointSizeF() * 96.0 / 72.0));
}

void CContentFrame::OnTextStyle() {
    const auto font = COrvixWinApp::current().ui().chooseFont(this, QFont());
    if (!font)
        return;
    // Only these two weights count as bold; the face is not taken.
    const bool bold = font->weight() == QFont::DemiBold || font->weight() == QFont::Bold;
    m_view->SetFont(sizeOfChosenFont(*font), bold, font->italic());
}

void CContentFrame::OnBackgroundColour() {
    if (const auto colour = COrvixWinApp::current().ui().chooseColor(this, Qt::black))
        m_view->SetBackground(*colour);
}

void CContentFrame::OnTextColour() {
    if (const auto colour = COrvixWinApp::current().ui().chooseColor(this, Qt::black))
        m_view->SetTextColour(*colour);
}

void CContentFrame::OnAddText() {
    m_view->AddText(m_text->toPlainText());
    m_text->clear();
}

void CContentFrame::OnModifyText() {
    m_view->ModifyText(m_text->toPlainText());
}

void CContentFrame::OnPreview() {
    if (!m_view->BuildPreview())
        return;
    CWebDialog preview(this);
    COrvixWinApp::current().ui().runModal(preview);
}

void CContentFrame::OnUpload() {
    m_view->Upload();
}

} // namespace orvix
