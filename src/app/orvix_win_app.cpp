#include "app/orvix_win_app.h"

#include "app/about_dlg.h"
#include "app/fonts.h"
#include "app/login_dlg.h"
#include "app/login_reply.h"
#include "app/settings_file.h"
#include "app/ui_text.h"
#include "imaging/dib_picture.h"
#include "net/orvi_http.h"
#include "net/orvi_upload.h"
#include "net/reply_text.h"
#include "net/url_download.h"
#include "platform/browser_control.h"
#include "platform/environment.h"
#include "platform/frame_placement.h"
#include "platform/resources.h"
#include "platform/sound_player.h"
#include "platform/ui_services.h"

#include <QDir>
#include <QGuiApplication>
#include <QThread>
#include <QWidget>

namespace orvix {

namespace {
COrvixWinApp* g_current = nullptr;
}

COrvixWinApp::COrvixWinApp(Services services, Configuration configuration, QObject* parent)
    : QObject(parent)
    , m_services(std::move(services))
    , m_configuration(std::move(configuration)) {
    Q_ASSERT(m_services.environment && m_services.ui && m_services.sound);
    g_current = this;
    setServerAddress(m_configuration.serverAddress);
}

COrvixWinApp::~COrvixWinApp() {
    if (g_current == this)
        g_current = nullptr;
}

COrvixWinApp& COrvixWinApp::current() {
    Q_ASSERT(g_current);
    return *g_current;
}

void COrvixWinApp::setServerAddress(const QString& address) {
    // The narrow copy has room for 1,023 bytes.
    m_session.serverAddress = address;
    m_session.serverAddressNarrow = toNarrow(address).left(1023);
}

void COrvixWinApp::AddDocTemplate(DocumentTemplate documentTemplate) {
    m_templates.push_back(std::move(documentTemplate));
}

QWidget* COrvixWinApp::OpenDocumentFile(std::size_t templateIndex) {
    if (templateIndex >= m_templates.size() || !m_templates[templateIndex].createFrame)
        return nullptr;
    QWidget* window = m_templates[templateIndex].createFrame();
    if (window)
        m_templateWindows[templateIndex] = window;
    return window;
}

QWidget* COrvixWinApp::documentWindow(std::size_t templateIndex) const {
    const auto it = m_templateWindows.find(templateIndex);
    return it == m_templateWindows.end() ? nullptr : it->second.data();
}

void COrvixWinApp::EndProcess(int code) {
    m_exitCode = code;
    m_endRequested = true;
    if (QCoreApplication::instance() && QCoreApplication::instance()->thread()->loopLevel() > 0)
        QCoreApplication::exit(code);
}

bool COrvixWinApp::InitInstance(const QStringList& arguments) {
    // A file named on the command line is not opened: the program always starts empty.
    Q_UNUSED(arguments);

    setServerAddress(m_configuration.serverAddress);
    m_session.fontTable = defaultFontTable();
    // Every window, the login dialog and the message boxes included, carries the program's icon.
    if (qobject_cast<QGuiApplication*>(QCoreApplication::instance()))
        QGuiApplication::setWindowIcon(res::icon(res::ProgramIcon));

    // The working folder; a failure to create it shows later, where its files are used.
    m_session.workFolder = environment().documentsFolder() + QStringLiteral("/OrvixWin");
    QDir().mkpath(m_session.workFolder);

    m_session.country = countryCodeFor(environment().countryIsoCode());
    installFontSubstitutes(m_session.country);
    ReadSettings();

    {
        CLoginDlg login(*this);
        if (ui().runModal(login) != DialogResult::Ok)
            return false;
    }

    // Every kind of window must be there before the first opens.
    if (m_templates.empty())
        return false;
    for (const DocumentTemplate& documentTemplate : m_templates) {
        if (!documentTemplate.createFrame)
            return false;
    }

    // The main window with its launcher, then the feature windows created at start, hidden.
    QWidget* mainFrame = OpenDocumentFile(0);
    if (!mainFrame || m_endRequested) // the launcher's upgrade prompt may end the program
        return false;
    for (std::size_t index = 1; index < m_templates.size(); ++index) {
        if (!m_templates[index].createdAtStart)
            continue;
        QWidget* frame = OpenDocumentFile(index);
        if (!frame)
            return false;
        frame->hide();
    }

    LoadMemberPhoto();

    // Files dropped from the desktop are not taken: the program opens no file it is handed.
    mainFrame->setAcceptDrops(false);
    mainFrame->show();
    mainFrame->update();
    return true;
}

std::unique_ptr<BrowserControl> COrvixWinApp::createBrowser(QWidget* parent) const {
    if (!m_services.makeBrowser)
        return nullptr;
    return m_services.makeBrowser(parent);
}

COrviHttp* COrvixWinApp::sendRequest(const QByteArray& scriptPath, const QString& body,
                                     QObject* owner) const {
    return COrviHttp::Send(m_session.serverAddress, m_session.serverAddressNarrow, scriptPath, body,
                           owner);
}

COrviUpload* COrvixWinApp::startUpload(const QString& targetFolder, const QString& targetName,
                                       const QString& localPath, QObject* owner) const {
    auto* upload = new COrviUpload;
    upload->Start(m_session.imageServerAddress, m_configuration.uploadPort, targetFolder,
                  targetName, localPath, owner);
    return upload;
}

QByteArray COrvixWinApp::toNarrow(const QString& text) const {
    return environment().toSystemCodePage(text);
}

QString COrvixWinApp::fromNarrow(const QByteArray& bytes) const {
    return environment().fromSystemCodePage(bytes);
}

QString COrvixWinApp::settingsPath() const {
    return m_session.workFolder + QStringLiteral("/orvisys.sy1");
}

void COrvixWinApp::ReadSettings() {
    const auto records = SettingsFile::read(settingsPath());
    if (!records)
        return;
    auto remembered = [this](const QByteArray& record) {
        return record == SettingsFile::NothingRemembered ? QString() : fromNarrow(record);
    };
    m_session.memberId = remembered(records->id);
    m_session.password = remembered(records->password);
}

void COrvixWinApp::StoreLoginResult(const LoginReply& reply, const QString& memberId,
                                    const QString& password, int remember) {
    m_session.memberId = memberId;
    m_session.password = password;
    m_session.deviceId = reply.deviceId;
    m_session.memberNumber = reply.memberNumber;
    m_session.imageServerAddress = reply.imageServerAddress;

    QByteArray id = SettingsFile::NothingRemembered;
    QByteArray secret = SettingsFile::NothingRemembered;
    if (remember != 0) {
        id = toNarrow(memberId);
        secret = toNarrow(password);
    }
    // The login goes on whether or not the file could be written: only the next start-up
    // reads it.
    SettingsFile::write(settingsPath(), id, secret);

    // The member number names the photo file: a number that is not plain digits could lead the
    // path out of the working folder, so such a member gets the default picture.
    if (reply.photoMarker == QLatin1String("0") || !isFileNumber(reply.memberNumber)) {
        m_session.memberPhotoPath.clear();
        useDefaultMemberPicture();
    } else {
        m_session.memberPhotoPath =
            m_session.workFolder + QStringLiteral("/mem%1.jpg").arg(reply.memberNumber);
        // A failed download is handled when the photo is loaded: the default picture stands in.
        UrlDownload(MemberPhotoTimeout)
            .setDeadline(MemberPhotoDeadline)
            .setSizeCap(MemberPhotoSizeCap)
            .run(QStringLiteral("http://%1/image/memberphoto/mem%2.jpg")
                     .arg(reply.imageServerAddress, reply.memberNumber),
                 m_session.memberPhotoPath);
    }

    m_session.storeNumber = reply.storeNumber;
    m_session.latestVersionCode = reply.latestVersionCode;
    m_session.latestVersionName = reply.latestVersionName;
    setServerAddress(reply.serverAddress);
    m_session.reservedField11 = reply.reservedField11;
    m_session.reservedField12 = reply.reservedField12;
    m_session.minimumVersionCode = reply.minimumVersionCode;
}

void COrvixWinApp::LoadMemberPhoto() {
    if (!m_session.memberPhotoPath.isEmpty()) {
        auto photo = std::make_unique<CDibPicture>();
        if (photo->Load(m_session.memberPhotoPath)) {
            m_memberPhoto = std::move(photo);
            return;
        }
    }
    m_memberPhoto.reset();
    useDefaultMemberPicture();
}

void COrvixWinApp::useDefaultMemberPicture() {
    if (m_defaultMemberPicture.isNull())
        m_defaultMemberPicture = res::bitmap(res::DefaultMemberPicture);
}

void COrvixWinApp::PlayNotificationSound() {
    m_services.sound->playNotification();
}

void COrvixWinApp::registerWindow(Window which, QWidget* window) {
    m_windows[which] = window;
}

void COrvixWinApp::setAction(Action action, ActionHandler run) {
    m_actions[action] = std::move(run);
}

bool COrvixWinApp::runAction(Action action, const QVariant& argument) const {
    auto it = m_actions.find(action);
    if (it == m_actions.end() || !it->second)
        return false;
    const ActionHandler run = it->second; // the handler may register another in its place
    run(argument);
    return true;
}

void COrvixWinApp::ShowChatWindows(bool show) {
    // The chat window places and shows its input panels with itself, and hides them with it.
    QWidget* chat = window(Window::ChatFrame);
    if (!chat)
        return;
    chat->setWindowTitle(QStringLiteral("채팅"));
    chat->setVisible(show);
}

void COrvixWinApp::OnAppAbout() {
    // Over the launcher, centred on it.
    QWidget* launcher = window(Window::Main);
    CAboutDlg about(launcher);
    if (launcher)
        FramePlacement::centreOn(&about, launcher->frameGeometry());
    ui().runModal(about);
}

} // namespace orvix
