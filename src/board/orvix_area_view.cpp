#include "board/orvix_area_view.h"

#include "app/document_dialog_run.h"
#include "app/explorer.h"
#include "app/orvix_win_app.h"
#include "app/progress_dlg.h"
#include "board/board_texts.h"
#include "board/orvix_list_view.h"
#include "board/write_text_dlg.h"
#include "net/orvi_http.h"
#include "net/orvi_upload.h"
#include "net/reply_notice.h"
#include "platform/browser_control.h"
#include "platform/environment.h"
#include "platform/ui_services.h"

#include <QFile>
#include <QFileInfo>
#include <QVBoxLayout>

namespace orvix {

namespace {

using Window = COrvixWinApp::Window;

} // namespace

COrvixAreaView::COrvixAreaView(QWidget* parent)
    : QWidget(parent)
    , m_explorer(new CExplorer(this)) {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_explorer);
    m_photoTimer.setSingleShot(true);
    m_photoTimer.setInterval(PhotoRegistrationDelayMs);
    connect(&m_photoTimer, &QTimer::timeout, this, &COrvixAreaView::RegisterPhoto);
}

COrvixAreaView::~COrvixAreaView() = default;

void COrvixAreaView::OnInitialUpdate() {
    COrvixWinApp& app = COrvixWinApp::current();
    app.registerWindow(Window::PostView, this);
    app.setAction(COrvixWinApp::Action::ReloadPost,
                  [this](const QVariant&) { navigate(m_state.pageAddress()); });
    m_progress = new CProgressDlg(this);
    m_progress->hide();
    m_uploadProgress.emplace(*m_progress, [this](COrviUpload* upload) { OnPhotoUploaded(upload); });
}

BrowserControl* COrvixAreaView::browser() const {
    return m_explorer->browser();
}

void COrvixAreaView::sessionToState() {
    const SessionRecord& session = COrvixWinApp::current().session();
    m_state.setSession({session.serverAddress, session.deviceId, session.memberId, session.password,
                        session.memberNumber});
}

void COrvixAreaView::navigate(const QString& address) {
    m_explorer->Navigate(address);
}

void COrvixAreaView::send(const QByteArray& script, const QString& body, int kind) {
    COrviHttp* request = COrvixWinApp::current().sendRequest(script, body, this);
    // The kind stays with its request until the request goes (answered or given up).
    m_kinds.insert(request, kind);
    connect(request, &QObject::destroyed, this, [this](QObject* gone) { m_kinds.remove(gone); });
}

void COrvixAreaView::OpenPost(const QString& mailIndex) {
    sessionToState();
    navigate(m_state.open(mailIndex));
    send(PostViewState::kViewedScript, m_state.viewedBody(), PostViewState::ViewedOrInfoUpdate);
}

bool COrvixAreaView::OnCommand(int id) {
    switch (id) {
    case SmartEditor:
        OpenEditor();
        return true;
    case WriteText:
        WriteOpinion();
        return true;
    case AttachPhoto:
        AttachPhotoFile();
        return true;
    case AttachDocument:
        AttachDocumentFile();
        return true;
    case Reload:
        navigate(m_state.pageAddress());
        return true;
    case AreaList:
        sessionToState();
        navigate(m_state.areaListAddress());
        return true;
    case Back:
        m_explorer->back();
        return true;
    case Forward:
        m_explorer->forward();
        return true;
    default:
        return false;
    }
}

void COrvixAreaView::message(const QString& text) {
    COrvixWinApp::current().ui().messageBox(this, COrvixWinApp::ApplicationTitle, text);
}

void COrvixAreaView::WriteOpinion() {
    CWriteTextDlg dialog(m_state.mailIndex(), this);
    if (COrvixWinApp::current().ui().runModal(dialog) != DialogResult::Ok)
        return;
    navigate(m_state.pageAddress());
    m_state.setOpinionInfo(dialog.info());
    InfoUpdate();
}

void COrvixAreaView::InfoUpdate() {
    if (m_uploadProgress)
        m_uploadProgress->end();
    send(PostViewState::kInfoUpdateScript, m_state.infoUpdateBody(),
         PostViewState::ViewedOrInfoUpdate);
}

void COrvixAreaView::AttachPhotoFile() {
    COrvixWinApp& app = COrvixWinApp::current();
    const QStringList chosen = app.ui().chooseFiles(
        this, FileOpenRequest{PostViewState::kPhotoFilter, PostViewState::kPhotoInitialName});
    if (chosen.isEmpty())
        return;
    const QString path = chosen.first();
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly) || QFileInfo(path).isDir()) {
        message(PostViewState::kPhotoFileError);
        return;
    }
    const qint64 length = file.size();
    file.close();
    sessionToState();
    m_uploadKind = PhotoUpload;
    if (m_uploadProgress) {
        m_progress->move(10, 20);
        m_uploadProgress->begin(length);
    }
    // A "&" in the extension would split the registration's form; the upload uses the same name.
    QString extension = QFileInfo(path).suffix();
    extension.replace(u'&', u' ');
    const QString name = m_state.nameImage(app.environment().currentTimeSeconds(), extension);

    COrviUpload* upload = app.startUpload(m_state.folder(), name, path, this);
    auto finished = std::make_shared<bool>(false);
    m_upload = upload;
    m_uploadFinished = finished;
    connect(upload, &QObject::destroyed, this, [this, finished] {
        if (*finished || m_uploadFinished != finished)
            return;
        // The photo never reached the server: the strip goes and the member may try again.
        m_uploadFinished.reset();
        m_uploadKind = 0;
        if (m_uploadProgress)
            m_uploadProgress->end();
        message(kUploadFailedText.pick(COrvixWinApp::current().session().country));
    });
}

void COrvixAreaView::AttachDocumentFile() {
    // The documents feature's dialog chooses, uploads and describes the document; the post
    // then registers it. Without that feature the command does nothing.
    DocumentDialogRun run;
    run.parent = this;
    if (!DocumentDialogRun::run(COrvixWinApp::current(), run) || run.result != DialogResult::Ok)
        return;
    sessionToState();
    send(PostViewState::kDocumentScript,
         m_state.documentBody(run.address, run.fileName, run.comment),
         PostViewState::DocumentRegistration);
}

void COrvixAreaView::OpenEditor() {
    // The content editor starts a new content that belongs to this post and shows itself;
    // without the editor the command does nothing.
    COrvixWinApp::current().runAction(COrvixWinApp::Action::OpenPostContent, m_state.mailIndex());
}

void COrvixAreaView::RegisterPhoto() {
    send(PostViewState::kPhotoScript, m_state.photoRegistrationBody(),
         PostViewState::PhotoRegistration);
}

int COrvixAreaView::onMessage(int message, WParam wParam, LParam lParam) {
    if (const auto reply = ReplyNotice::from(message, wParam, lParam))
        return OnReply(reply->request, reply->text());
    // Progress goes to the strip; the finished upload comes back to OnPhotoUploaded.
    if (m_uploadProgress && m_uploadProgress->onMessage(message, wParam, lParam))
        return 1;
    return 0;
}

void COrvixAreaView::OnPhotoUploaded(COrviUpload* upload) {
    // A notice of an upload that is not the one on its way belongs to nothing here.
    if (!m_upload || upload != m_upload.data())
        return;
    if (m_uploadFinished)
        *m_uploadFinished = true;
    m_upload = nullptr;
    if (m_uploadKind == PhotoUpload)
        m_photoTimer.start();
}

int COrvixAreaView::OnReply(QObject* request, const QString& text) {
    const auto it = m_kinds.find(request);
    if (it == m_kinds.end())
        return 0;
    const int kind = it.value();
    m_kinds.erase(it);
    switch (PostViewState::onReply(kind, text)) {
    case PostViewState::Next::PhpError:
        message(OpinionChain::kPhpError);
        return 0;
    case PostViewState::Next::RequestPostList:
        if (auto* list = COrvixWinApp::current().window<COrvixListView>(Window::PostListView))
            list->RequestPostList(list);
        return 1;
    case PostViewState::Next::ReloadAndInfoUpdate:
        navigate(m_state.pageAddress());
        InfoUpdate();
        return 1;
    case PostViewState::Next::Nothing:
        return 1;
    }
    return 1;
}

} // namespace orvix
