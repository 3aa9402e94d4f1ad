#include "editor/content_view.h"

#include "app/orvix_win_app.h"
#include "app/progress_dlg.h"
#include "app/ui_text.h"
#include "app/web_dialog.h"
#include "editor/cont_download_dlg.h"
#include "editor/content_names.h"
#include "editor/html_writer.h"
#include "editor/image_size_dlg.h"
#include "editor/new_file_dlg.h"
#include "editor/sml_writer.h"
#include "editor/web_address_dlg.h"
#include "net/orvi_http.h"
#include "net/orvi_upload.h"
#include "net/reply_notice.h"
#include "net/reply_text.h"
#include "platform/environment.h"
#include "platform/resources.h"
#include "platform/ui_services.h"

#include <QContextMenuEvent>
#include <QLineEdit>
#include <QMenu>
#include <QPainter>
#include <QPlainTextEdit>
#include <QScrollBar>

#include <limits>

namespace orvix {

namespace {

using Window = COrvixWinApp::Window;

COrvixWinApp& app() {
    return COrvixWinApp::current();
}

// The text box gives "\n" line breaks; the content keeps CR LF.
QString fromBox(QString text) {
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    text.replace(QChar::ParagraphSeparator, u'\n');
    return text.replace(u'\n', QStringLiteral("\r\n"));
}

QString toBox(QString text) {
    return text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
}

int sessionNumber(const QString& text) {
    return leadingNumber(text);
}

} // namespace

CContentView::CContentView(QWidget* parent)
    : QAbstractScrollArea(parent)
    , m_painter(res::bitmap(res::DocumentIcon))
    , m_upload(m_model, *this)
    , m_progress(new CProgressDlg(this))
    , m_uploadProgress(*m_progress, [this](COrviUpload*) { m_upload.uploadFinished(); }) {
    setFrameShape(QFrame::NoFrame);
    viewport()->setAutoFillBackground(true);
    viewport()->setBackgroundRole(QPalette::Base);
    verticalScrollBar()->setSingleStep(20);
    setExtent(100);
    app().registerWindow(Window::ContentView, this);
    startNew();
}

CContentView::~CContentView() = default;

void CContentView::startNew() {
    const SessionRecord& session = app().session();
    m_model.startNew(session.memberId, sessionNumber(session.memberNumber),
                     app().environment().currentTimeSeconds());
}

int CContentView::scrollPosition() const {
    return verticalScrollBar()->value();
}

void CContentView::setExtent(int height) {
    m_extentHeight = std::max(0, height);
    verticalScrollBar()->setPageStep(viewport()->height());
    verticalScrollBar()->setRange(0, std::max(0, m_extentHeight - viewport()->height()));
    horizontalScrollBar()->setPageStep(viewport()->width());
    horizontalScrollBar()->setRange(0, std::max(0, ExtentWidth - viewport()->width()));
}

void CContentView::resizeEvent(QResizeEvent* event) {
    QAbstractScrollArea::resizeEvent(event);
    setExtent(m_extentHeight);
}

void CContentView::changed() {
    viewport()->update();
}

void CContentView::appended() {
    const int total = m_model.totalHeight();
    setExtent(total);
    if (viewport()->height() < total)
        verticalScrollBar()->setValue(verticalScrollBar()->maximum());
    changed();
}

void CContentView::paintEvent(QPaintEvent*) {
    QPainter painter(viewport());
    painter.translate(-horizontalScrollBar()->value(), -verticalScrollBar()->value());
    m_drawnHeight = m_painter.paint(painter, m_model);
    if (m_drawnHeight != m_extentHeight)
        setExtent(m_drawnHeight);
}

void CContentView::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) {
        QAbstractScrollArea::mousePressEvent(event);
        return;
    }
    const int hit = m_model.selectAt(scrollPosition() + event->position().toPoint().y());
    if (hit < 0)
        return;
    if (const CContentBlock* block = m_model.block(hit); block->text && m_textBox)
        m_textBox->setPlainText(toBox(block->text->text));
    changed();
}

bool CContentView::offersImageSize() const {
    const CContentBlock* block = m_model.selected();
    return block && (block->photo || block->document);
}

QString CContentView::imageSizeText() const {
    return uiText(UiRow::ImageSize, app().session().country);
}

void CContentView::contextMenuEvent(QContextMenuEvent* event) {
    if (!offersImageSize())
        return;
    QMenu menu(this);
    QAction* imageSize = menu.addAction(imageSizeText());
    imageSize->setData(ImageSizeCommand);
    if (menu.exec(event->globalPos()) == imageSize)
        SetImageSize();
}

void CContentView::AddText(const QString& text) {
    m_model.addText(fromBox(text));
    appended();
}

void CContentView::AddPhoto(const QString& localPath, const QString& fileName) {
    m_model.addPhoto(localPath, fileName, app().environment().currentTimeSeconds());
    appended();
}

void CContentView::AddDocument(const QString& fileName, const QString& address,
                               const QString& extension, const QString& comment) {
    m_model.addDocument(fileName, address, extension, comment);
    appended();
}

void CContentView::ModifyText(const QString& text) {
    if (m_model.modifyText(fromBox(text))) {
        setExtent(m_model.totalHeight());
        changed();
    }
}

void CContentView::SetAlignment(int alignment) {
    if (m_model.setAlignment(alignment))
        changed();
}

void CContentView::SetFont(int size, bool bold, bool italic) {
    if (m_model.setFont(size, bold, italic)) {
        setExtent(m_model.totalHeight());
        changed();
    }
}

void CContentView::SetBackground(const QColor& colour) {
    if (m_model.setBackground(colour))
        changed();
}

void CContentView::SetTextColour(const QColor& colour) {
    if (m_model.setTextColour(colour))
        changed();
}

void CContentView::SetLink() {
    if (!m_model.selected())
        return;
    CWebAddressDlg dialog(this);
    if (app().ui().runModal(dialog) == DialogResult::Ok)
        m_model.setLink(dialog.address());
}

void CContentView::SetImageSize() {
    if (!offersImageSize())
        return;
    CImageSizeDlg dialog(this);
    dialog.setValue(100);
    if (app().ui().runModal(dialog) != DialogResult::Ok)
        return;
    const quint32 value = dialog.value();
    m_model.setSizePercent(value > quint32(std::numeric_limits<int>::max())
                               ? std::numeric_limits<int>::max()
                               : int(value));
    changed();
}

void CContentView::DeleteSelected() {
    if (m_model.deleteSelected()) {
        setExtent(m_model.totalHeight());
        changed();
    }
}

void CContentView::MoveUp() {
    if (m_model.moveUp())
        changed();
}

void CContentView::MoveDown() {
    if (m_model.moveDown())
        changed();
}

void CContentView::MoveToFirst() {
    if (m_model.moveToFirst())
        changed();
}

void CContentView::MoveToLast() {
    if (m_model.moveToLast())
        changed();
}

bool CContentView::NewContent() {
    if (m_model.modified) {
        CNewFileDlg question(this);
        if (app().ui().runModal(question) != DialogResult::Ok)
            return false;
    }
    startNew();
    setExtent(0);
    changed();
    return true;
}

void CContentView::StartNewPostContent(const QString& mailIndex) {
    m_model.mailIndex = mailIndex;
    startNew();
    setExtent(0);
    changed();
    if (QWidget* frame = app().window(Window::ContentFrame)) {
        frame->show();
        frame->raise();
    }
}

bool CContentView::openContent(const QString& file) {
    const SessionRecord& session = app().session();
    CContDownloadDlg dialog(session.imageServerAddress, file, sessionNumber(session.memberNumber),
                            m_model, this);
    if (app().ui().runModal(dialog) != DialogResult::Ok)
        return false;
    if (m_titleBox)
        m_titleBox->setText(m_model.title);
    verticalScrollBar()->setValue(0);
    setExtent(m_model.totalHeight());
    changed();
    return true;
}

void CContentView::OpenMemberContent() {
    const int member = sessionNumber(app().session().memberNumber);
    const QString file = ContentNames::memberContentFile(member);
    if (openContent(file)) {
        m_model.contentKind = ContentModel::MemberContent;
        return;
    }
    // A member who has no profile yet starts one: an empty, untouched new content becomes the
    // member's profile content (its blocks stay as they are: none). Anything else is left as
    // it was.
    if (m_model.count() == 0 && !m_model.modified) {
        m_model.contentKind = ContentModel::MemberContent;
        m_model.fileName = file.chopped(4);
    }
}

void CContentView::OpenStoreContent() {
    if (!NewContent())
        return;
    m_model.contentKind = ContentModel::StoreContent;
    const QString file = ContentNames::storeContentFile(sessionNumber(app().session().storeNumber));
    m_model.fileName = file.chopped(4);
    openContent(file);
}

QString CContentView::titleText() const {
    return m_titleBox ? m_titleBox->text() : m_model.title;
}

bool CContentView::BuildExport() {
    const QString title = titleText();
    if (title.isEmpty()) {
        showMessage(NoTitleMessage);
        return false;
    }
    const SessionRecord& session = app().session();
    m_model.html =
        HtmlWriter::exportFragment(m_model, {session.serverAddress, session.imageServerAddress});
    m_model.title = title;
    m_model.blockCount = m_model.count();
    return true;
}

bool CContentView::BuildPreview() {
    if (titleText().isEmpty()) {
        showMessage(NoTitleMessage);
        return false;
    }
    const SessionRecord& session = app().session();
    const QString page =
        HtmlWriter::previewPage(m_model, {session.serverAddress, session.imageServerAddress});
    return HtmlWriter::writePreviewFile(session.workFolder + QStringLiteral("/prevview.html"),
                                        page);
}

bool CContentView::Upload() {
    return m_upload.start();
}

int CContentView::onMessage(int message, WParam wParam, LParam lParam) {
    if (m_uploadProgress.onMessage(message, wParam, lParam))
        return 1;
    if (const auto reply = ReplyNotice::from(message, wParam, lParam)) {
        m_upload.reply(reply->request, reply->text());
        return 1;
    }
    return 0;
}

void CContentView::writeContentFile() {
    // A content file that cannot be written leaves the one there; the upload sends what is there.
    SmlWriter::write(m_model, workFolder() + u'/' + m_model.fileName + QStringLiteral(".sml"));
}

void CContentView::showMessage(const QString& text) {
    app().ui().messageBox(this, COrvixWinApp::ApplicationTitle, text);
}

void CContentView::showProgress(qint64 total) {
    m_progress->move(10, 20);
    m_uploadProgress.begin(total);
}

void CContentView::hideProgress() {
    m_uploadProgress.end();
}

QObject* CContentView::upload(const QString& folder, const QString& name,
                              const QString& localPath) {
    return app().startUpload(folder, name, localPath, this);
}

QObject* CContentView::request(const QByteArray& script, const QString& body) {
    return app().sendRequest(script, body, this);
}

void CContentView::postRegistered() {
    app().runAction(COrvixWinApp::Action::ReloadPost);
    if (QWidget* frame = app().window(Window::ContentFrame))
        frame->hide();
}

void CContentView::requestPostList() {
    app().runAction(COrvixWinApp::Action::RequestPostList);
}

QString CContentView::deviceId() const {
    return app().session().deviceId;
}

QString CContentView::workFolder() const {
    return app().session().workFolder;
}

qint32 CContentView::now() const {
    return app().environment().currentTimeSeconds();
}

} // namespace orvix
