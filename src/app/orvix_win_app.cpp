#include "app/orvix_win_app.h"

#include "app/about_dlg.h"
#include "app/fonts.h"
#include "app/login_dlg.h"
#include "app/settings_file.h"
#include "app/ui_text.h"
#include "imaging/dib_picture.h"
#include "net/url_download.h"
#include "platform/browser_control.h"
#include "platform/environment.h"
#include "platform/resources.h"
#include "platform/sound_player.h"
#include "platform/ui_services.h"

#include <QCoreApplication>
#include <QDir>
#include <QThread>
#include <QWidget>

namespace orvix {

namespace {
COrvixWinApp* g_instance = nullptr;
}

COrvixWinApp::COrvixWinApp(Services services, QObject* parent)
    : QObject(parent)
    , m_services(std::move(services)) {
    Q_ASSERT(m_services.environment && m_services.ui && m_services.sound);
    g_instance = this;
}

COrvixWinApp::~COrvixWinApp() {
    if (g_instance == this)
        g_instance = nullptr;
}

COrvixWinApp* COrvixWinApp::instance() {
    return g_instance;
}

COrvixWinApp& COrvixWinApp::current() {
    Q_ASSERT(g_instance);
    return *g_instance;
}

QString COrvixWinApp::builtInServerAddress() const {
    const QString configured = qEnvironmentVariable("ORVIX_SERVER").trimmed();
    return configured.isEmpty() ? DefaultServerAddress : configured;
}

void COrvixWinApp::setServerAddress(const QString& address) {
    // The narrow copy has room for 1,023 bytes.
    m_session.serverAddress = address;
    m_session.serverAddressNarrow = toNarrow(address).left(1023);
}

void COrvixWinApp::AddDocTemplate(orvix::DocumentTemplate documentTemplate) {
    m_templates.push_back(std::move(documentTemplate));
}

QWidget* COrvixWinApp::OpenDocumentFile(std::size_t templateIndex) {
    if (templateIndex >= m_templates.size() || !m_templates[templateIndex].createFrame)
        return nullptr;
    return m_templates[templateIndex].createFrame();
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

    setServerAddress(builtInServerAddress());
    m_session.fontTable = orvix::defaultFontTable();
    orvix::installFontSubstitutes();

    // The working folder; a failure to create it shows later, where its files are used.
    m_session.workFolder = environment().documentsFolder() + QStringLiteral("/OrvixWin");
    QDir().mkpath(m_session.workFolder);

    m_session.country = orvix::countryCodeFor(environment().countryIsoCode());
    ReadSettings();

    {
        CLoginDlg login(*this);
        if (ui().runModal(login) != orvix::DialogResult::Ok)
            return false;
    }

    constexpr std::size_t kTemplateCount = 7;
    if (m_templates.size() != kTemplateCount)
        return false;
    for (const orvix::DocumentTemplate& documentTemplate : m_templates) {
        if (!documentTemplate.createFrame)
            return false;
    }

    // The main window with its launcher, then the feature windows, all hidden; the store
    // window (template 6) opens only when the member asks for it.
    QWidget* mainFrame = OpenDocumentFile(0);
    if (!mainFrame || m_endRequested) // the launcher's upgrade prompt may end the program
        return false;
    for (std::size_t index : {1u, 2u, 3u, 4u, 6u}) {
        QWidget* frame = OpenDocumentFile(index);
        if (!frame)
            return false;
        frame->hide();
    }
    const int country = m_session.country;
    if (auto* list = window(Window::PostListFrame))
        list->setWindowTitle(orvix::uiText(orvix::UiRow::Square, country));
    if (auto* post = window(Window::PostFrame))
        post->setWindowTitle(orvix::uiText(orvix::UiRow::Square, country));
    if (auto* image = window(Window::ImageFrame))
        image->setWindowTitle(QStringLiteral("사진보기"));
    if (auto* editor = window(Window::ContentFrame))
        editor->setWindowTitle(orvix::uiText(orvix::UiRow::ContentEditor, country));

    LoadMemberPhoto();

    mainFrame->setAcceptDrops(true);
    mainFrame->show();
    mainFrame->update();
    return true;
}

std::unique_ptr<orvix::BrowserControl> COrvixWinApp::createBrowser(QWidget* parent) const {
    if (!m_services.makeBrowser)
        return nullptr;
    return m_services.makeBrowser(parent);
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
    const auto records = orvix::SettingsFile::read(settingsPath());
    if (!records)
        return;
    auto remembered = [this](const QByteArray& record) {
        return record == orvix::SettingsFile::NothingRemembered ? QString() : fromNarrow(record);
    };
    m_session.memberId = remembered(records->id);
    m_session.password = remembered(records->password);
}

void COrvixWinApp::StoreLoginResult(const QString& memberId, const QString& password,
                                    const QString& deviceId, const QString& memberNumber,
                                    int remember, const QString& imageServerAddress,
                                    const QString& photoMarker) {
    m_session.memberId = memberId;
    m_session.password = password;
    m_session.deviceId = deviceId;
    m_session.memberNumber = memberNumber;
    m_session.imageServerAddress = imageServerAddress;

    QByteArray id = orvix::SettingsFile::NothingRemembered;
    QByteArray secret = orvix::SettingsFile::NothingRemembered;
    if (remember != 0) {
        id = toNarrow(memberId);
        secret = toNarrow(password);
    }
    // The login goes on whether or not the file could be written: only the next start-up
    // reads it.
    orvix::SettingsFile::write(settingsPath(), id, secret);

    if (photoMarker == QLatin1String("0")) {
        m_session.memberPhotoPath.clear();
        useDefaultMemberPicture();
        return;
    }
    m_session.memberPhotoPath =
        m_session.workFolder + QStringLiteral("/mem%1.jpg").arg(memberNumber);
    // A failed download is handled when the photo is loaded: the default picture stands in.
    orvix::DownloadUrl(QStringLiteral("http://%1/image/memberphoto/mem%2.jpg")
                           .arg(imageServerAddress, memberNumber),
                       m_session.memberPhotoPath);
}

void COrvixWinApp::LoadMemberPhoto() {
    if (!m_session.memberPhotoPath.isEmpty()) {
        auto photo = std::make_unique<orvix::CDibPicture>();
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
        m_defaultMemberPicture = orvix::res::bitmap(orvix::res::DefaultMemberPicture);
}

void COrvixWinApp::PlayNotificationSound() {
    m_services.sound->playNotification();
}

void COrvixWinApp::registerWindow(Window which, QWidget* window) {
    m_windows[which] = window;
}

void COrvixWinApp::setAction(Action action, std::function<void()> run) {
    m_actions[action] = std::move(run);
}

bool COrvixWinApp::runAction(Action action) const {
    auto it = m_actions.find(action);
    if (it == m_actions.end() || !it->second)
        return false;
    it->second();
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
    CAboutDlg about;
    ui().runModal(about);
}

} // namespace orvix
