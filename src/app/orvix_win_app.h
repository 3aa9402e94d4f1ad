#pragma once

#include "app/document_template.h"
#include "app/session_record.h"

#include <QImage>
#include <QObject>
#include <QPointer>

#include <functional>
#include <map>
#include <memory>
#include <vector>

namespace orvix {

class BrowserControl;
class CDibPicture;
class Environment;
class SoundPlayer;
class UiServices;

// The one process-wide object: it starts the program (login, main window, hidden feature
// windows), holds the session record for the whole run and knows every feature window.
class COrvixWinApp : public QObject {
    Q_OBJECT
public:
    // The desktop services the program uses; tests give doubles.
    struct Services {
        orvix::Environment* environment = nullptr;
        orvix::UiServices* ui = nullptr;
        orvix::SoundPlayer* sound = nullptr;
        std::function<std::unique_ptr<orvix::BrowserControl>(QWidget* parent)> makeBrowser;
    };

    // The feature windows: each registers itself when it is created and stays until the end.
    enum class Window {
        Main,
        ChatFrame,
        ChatView,
        ChatListView,
        ImageFrame,
        ImageView,
        ContentFrame,
        ContentView,
        PostFrame,
        PostView,
        PostListFrame,
        PostListView,
        StoreFrame,
    };

    // What the launcher's buttons reach in features that provide them; a missing one does nothing.
    enum class Action {
        RequestPostList,
        OpenDocumentLibrary,
        OpenMemberContent,
        OpenStoreContent,
    };

    // Title of the program's message boxes.
    static inline const QString ApplicationTitle = QStringLiteral("OrvixWin");
    // The server the login goes to: ORVIX_SERVER from the environment, else this default.
    static inline const QString DefaultServerAddress = QStringLiteral("127.0.0.1:8080");

    explicit COrvixWinApp(Services services, QObject* parent = nullptr);
    ~COrvixWinApp() override;

    // The application object of this process, or nullptr before it exists.
    static COrvixWinApp* instance();
    // The application object, for windows, which exist only while it does.
    static COrvixWinApp& current();

    // Start-up: false when the program must end without entering its event loop; exitCode()
    // then tells with which code.
    bool InitInstance(const QStringList& arguments);
    int exitCode() const { return m_exitCode; }

    // Ends the process with a code: at once when the event loop runs, otherwise start-up stops
    // as soon as the window that asked has returned and the program ends with that code.
    void EndProcess(int code);

    // The kinds of window the program opens, registered before start-up in this order: main
    // launcher, chat, image, content editor, post view, store, post list.
    void AddDocTemplate(orvix::DocumentTemplate documentTemplate);
    const std::vector<orvix::DocumentTemplate>& documentTemplates() const { return m_templates; }
    // Opens a new window of a template (0-based); nullptr when it cannot be created.
    QWidget* OpenDocumentFile(std::size_t templateIndex);

    QString builtInServerAddress() const;
    // Sets the session's server address, both the wide and the narrow copy.
    void setServerAddress(const QString& address);

    orvix::SessionRecord& session() { return m_session; }
    const orvix::SessionRecord& session() const { return m_session; }
    orvix::Environment& environment() const { return *m_services.environment; }
    orvix::UiServices& ui() const { return *m_services.ui; }
    std::unique_ptr<orvix::BrowserControl> createBrowser(QWidget* parent) const;

    // Settings file <work folder>/orvisys.sy1: the remembered ID and password.
    QString settingsPath() const;
    void ReadSettings();
    // Keeps the login result, writes the settings file and fetches the member photo.
    void StoreLoginResult(const QString& memberId, const QString& password, const QString& deviceId,
                          const QString& memberNumber, int remember,
                          const QString& imageServerAddress, const QString& photoMarker);
    // Loads the member photo (start-up), falling back to the default picture.
    void LoadMemberPhoto();
    const orvix::CDibPicture* memberPhoto() const { return m_memberPhoto.get(); }
    const QImage& defaultMemberPicture() const { return m_defaultMemberPicture; }

    // Shows or hides the chat window and its input panels.
    void ShowChatWindows(bool show);
    void PlayNotificationSound();
    // The About dialog, run modally.
    void OnAppAbout();

    void registerWindow(Window which, QWidget* window);
    template <class T = QWidget> T* window(Window which) const {
        auto it = m_windows.find(which);
        return it == m_windows.end() ? nullptr : qobject_cast<T*>(it->second.data());
    }
    void setAction(Action action, std::function<void()> run);
    // Runs an action; false when no feature provides it.
    bool runAction(Action action) const;

    // The code page conversions of the running system.
    QByteArray toNarrow(const QString& text) const;
    QString fromNarrow(const QByteArray& bytes) const;

private:
    // Draws the default member picture the first time it is needed.
    void useDefaultMemberPicture();

    Services m_services;
    orvix::SessionRecord m_session;
    std::unique_ptr<orvix::CDibPicture> m_memberPhoto;
    QImage m_defaultMemberPicture;
    std::map<Window, QPointer<QWidget>> m_windows;
    std::map<Action, std::function<void()>> m_actions;
    std::vector<orvix::DocumentTemplate> m_templates;
    int m_exitCode = 1;
    bool m_endRequested = false;
};

} // namespace orvix
