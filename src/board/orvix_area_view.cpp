#include "board/orvix_area_view.h"

#include "app/orvix_win_app.h"
#include "app/progress_dlg.h"
#include "board/board_texts.h"
#include "board/orvix_list_view.h"
#include "board/write_text_dlg.h"
#include "net/orvi_http.h"
#include "net/orvi_upload.h"
#include "platform/browser_control.h"
#include "platform/environment.h"
#include "platform/ui_services.h"

#include <QFile>
#include <QFileInfo>
#include <QVBoxLayout>

#include <limits>

namespace orvix {

namespace {

using Window = COrvixWinApp::Window;

} // namespace

COrvixAreaView::COrvixAreaView(QWidget* parent)
    : QWidget(parent)
    , m_browser(COrvixWinApp::current().createBrowser(this)) {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    if (m_browser)
        layout->addWidget(m_browser->widget());
    m_photoTimer.setSingleShot(true);
    m_photoTimer.setInterval(PhotoRegistrationDelayMs);
    connect(&m_photoTimer, &QTimer::timeout, this, &COrvixAreaView::RegisterPhoto);
}

COrvixAreaView::~COrvixAreaView() = default;

void COrvixAreaView::OnInitialUpdate() {
    COrvixWinApp::current().registerWindow(Window::PostView, this);
    m_progress = new CProgressDlg(this);
    m_progress->hide();
}

void COrvixAreaView::sessionToState() {
    const SessionRecord& session = COrvixWinApp::current().session();
    m_state.setSession({session.serverAddress, session.deviceId, session.memberId, session.password,
                        session.memberNumber});
}

void COrvixAreaView::navigate(const QString& address) {
    if (m_browser)
        m_browser->navigate(address);
}

void COrvixAreaView::send(const QByteArray& script, const QString& body, int kind) {
    const SessionRecord& session = COrvixWinApp::current().session();
    COrviHttp* request =
        COrviHttp::Send(session.serverAddress, session.serverAddressNarrow, script, body, this);
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
        if (m_browser)
            m_browser->back();
        return true;
    case Forward:
        if (m_browser)
            m_browser->forward();
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
    if (m_progress) {
        m_progress->hide();
        sendMessage(m_progress, Msg::Progress, 0);
    }
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
    m_fileLength = length;
    m_lastProgress = 0;
    if (m_progress) {
        sendMessage(m_progress, Msg::Progress, 0);
        m_progress->setTotal(int(qMin<qint64>(length, std::numeric_limits<int>::max())));
        m_progress->move(10, 20);
        m_progress->show();
        m_progress->raise();
    }
    // A "&" in the extension would split the registration's form; the upload uses the same name.
    QString extension = QFileInfo(path).suffix();
    extension.replace(u'&', u' ');
    const QString name = m_state.nameImage(app.environment().currentTimeSeconds(), extension);

    auto* upload = new COrviUpload();
    auto finished = std::make_shared<bool>(false);
    m_upload = upload;
    m_uploadFinished = finished;
    connect(upload, &QObject::destroyed, this, [this, finished] {
        if (*finished || m_uploadFinished != finished)
            return;
        // The photo never reached the server: the strip goes and the member may try again.
        m_uploadFinished.reset();
        m_uploadKind = 0;
        if (m_progress)
            m_progress->hide();
        message(boardText(BoardText::UploadFailed, COrvixWinApp::current().session().country));
    });
    upload->Start(app.session().imageServerAddress, m_state.folder(), name, path, this);
}

void COrvixAreaView::AttachDocumentFile() {
    // The document dialog of the documents library; without it the command does nothing.
}

void COrvixAreaView::OpenEditor() {
    // The content editor for this post; without it the command does nothing.
}

void COrvixAreaView::RegisterPhoto() {
    send(PostViewState::kPhotoScript, m_state.photoRegistrationBody(),
         PostViewState::PhotoRegistration);
}

int COrvixAreaView::onMessage(int message, WParam wParam, LParam lParam) {
    if (message == Msg::Reply) {
        auto* request = reinterpret_cast<COrviHttp*>(lParam);
        return request ? OnReply(request, request->replyText()) : 0;
    }
    if (message == Msg::Upload)
        return OnUpload(int(wParam), lParam);
    return 0;
}

int COrvixAreaView::OnUpload(int step, LParam value) {
    if (step == UploadStep::Progress) {
        m_lastProgress = value;
        if (m_progress)
            sendMessage(m_progress, Msg::Progress, WParam(value));
        return 1;
    }
    if (step == UploadStep::Finished) {
        if (!m_upload || reinterpret_cast<QObject*>(value) != m_upload.data())
            return 1;
        if (m_uploadFinished)
            *m_uploadFinished = true;
        m_upload = nullptr;
        if (m_uploadKind == PhotoUpload)
            m_photoTimer.start();
        return 1;
    }
    return 0;
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
