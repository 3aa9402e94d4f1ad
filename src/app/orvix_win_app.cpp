#include "app/orvix_win_app.h"

#include "app/settings_file.h"
#include "imaging/dib_picture.h"
#include "net/url_download.h"
#include "platform/browser_control.h"
#include "platform/environment.h"
#include "platform/resources.h"
#include "platform/sound_player.h"

#include <QDir>
#include <QWidget>

namespace {
COrvixWinApp* g_instance = nullptr;
}

COrvixWinApp::COrvixWinApp(Services services, QObject* parent)
    : QObject(parent)
    , m_services(std::move(services))
{
    Q_ASSERT(m_services.environment && m_services.ui && m_services.sound);
    g_instance = this;
}

COrvixWinApp::~COrvixWinApp()
{
    if (g_instance == this)
        g_instance = nullptr;
}

COrvixWinApp* COrvixWinApp::instance()
{
    return g_instance;
}

std::unique_ptr<orvix::BrowserControl> COrvixWinApp::createBrowser(QWidget* parent) const
{
    if (!m_services.makeBrowser)
        return nullptr;
    return m_services.makeBrowser(parent);
}

QByteArray COrvixWinApp::toNarrow(const QString& text) const
{
    return environment().toSystemCodePage(text);
}

QString COrvixWinApp::fromNarrow(const QByteArray& bytes) const
{
    return environment().fromSystemCodePage(bytes);
}

QString COrvixWinApp::settingsPath() const
{
    return m_session.workFolder + QStringLiteral("/orvisys.sy1");
}

void COrvixWinApp::ReadSettings()
{
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
                                    const QString& photoMarker)
{
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
        m_defaultMemberPicture = orvix::res::bitmap(orvix::res::DefaultMemberPicture);
        return;
    }
    m_session.memberPhotoPath = m_session.workFolder + QStringLiteral("/mem%1.jpg").arg(memberNumber);
    // A failed download is handled when the photo is loaded: the default picture stands in.
    orvix::DownloadUrl(QStringLiteral("http://%1/image/memberphoto/mem%2.jpg")
                           .arg(imageServerAddress, memberNumber),
                       m_session.memberPhotoPath);
}

void COrvixWinApp::LoadMemberPhoto()
{
    if (!m_session.memberPhotoPath.isEmpty()) {
        auto photo = std::make_unique<CDibPicture>();
        if (photo->Load(m_session.memberPhotoPath)) {
            m_memberPhoto = std::move(photo);
            return;
        }
    }
    m_memberPhoto.reset();
    m_defaultMemberPicture = orvix::res::bitmap(orvix::res::DefaultMemberPicture);
}

void COrvixWinApp::PlayNotificationSound()
{
    m_services.sound->playNotification();
}

void COrvixWinApp::registerWindow(Window which, QWidget* window)
{
    m_windows[which] = window;
}

void COrvixWinApp::setAction(Action action, std::function<void()> run)
{
    m_actions[action] = std::move(run);
}

bool COrvixWinApp::runAction(Action action) const
{
    auto it = m_actions.find(action);
    if (it == m_actions.end() || !it->second)
        return false;
    it->second();
    return true;
}

void COrvixWinApp::ShowChatWindows(bool show)
{
    // The chat window places and shows its input panels with itself, and hides them with it.
    QWidget* chat = window(Window::ChatFrame);
    if (!chat)
        return;
    chat->setWindowTitle(QStringLiteral("채팅"));
    chat->setVisible(show);
}
