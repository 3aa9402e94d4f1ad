#pragma once

#include "app/configuration.h"
#include "app/document_template.h"
#include "app/session_record.h"

#include <QImage>
#include <QObject>
#include <QPointer>
#include <QVariant>

#include <chrono>
#include <functional>
#include <map>
#include <memory>
#include <vector>

namespace orvix {

class BrowserControl;
class CDibPicture;
class COrviHttp;
class COrviUpload;
class Environment;
class SoundPlayer;
class UiServices;
struct LoginReply;

// The one process-wide object: it starts the program (login, main window, hidden feature
// windows), holds the session record for the whole run and knows every feature window. Windows
// reach it with COrvixWinApp::current().
//
// What features use it for:
//   - the session (session()), the run's configuration (configuration()) and the desktop
//     services (ui(), environment(), createBrowser());
//   - requests and uploads that go where the session says: sendRequest() and startUpload();
//   - other features' windows (window()) and actions (runAction()), which features register
//     with registerWindow() and setAction().
class COrvixWinApp : public QObject {
    Q_OBJECT
public:
    // The desktop services the program uses; tests give doubles.
    struct Services {
        Environment* environment = nullptr;
        UiServices* ui = nullptr;
        SoundPlayer* sound = nullptr;
        std::function<std::unique_ptr<BrowserControl>(QWidget* parent)> makeBrowser;
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

    // What features offer each other and the launcher across the library graph. A feature
    // registers the actions it provides when its window is created; running one that no
    // feature provides does nothing.
    enum class Action {
        RequestPostList,     // the post list asks for a fresh list; no argument
        ReloadPost,          // the post view navigates again to the post it shows; no argument
        OpenDocumentLibrary, // the document library, run modally; argument: the parent QWidget*
        RunDocumentDialog,   // the document dialog, run modally; argument: DocumentDialogRun*
                             // (app/document_dialog_run.h), filled in by the run
        OpenMemberContent,   // the content editor opens the member's own content; no argument
        OpenStoreContent,    // the content editor opens the store's content; no argument
        OpenPostContent,     // the content editor starts a new, empty content for a post and
                             // shows itself; argument: the post's mail index (QString)
    };
    using ActionHandler = std::function<void(const QVariant& argument)>;

    // Title of the program's message boxes.
    static inline const QString ApplicationTitle = QStringLiteral("OrvixWin");

    // Limits of the member photo's download at login: the login dialog waits for it.
    static constexpr std::chrono::milliseconds MemberPhotoTimeout{5000};
    static constexpr std::chrono::milliseconds MemberPhotoDeadline{10000};
    static constexpr qint64 MemberPhotoSizeCap = 4 * 1024 * 1024;

    COrvixWinApp(Services services, Configuration configuration, QObject* parent = nullptr);
    ~COrvixWinApp() override;

    // The application object, for windows, which exist only while it does.
    static COrvixWinApp& current();

    // Start-up: false when the program must end without entering its event loop; exitCode()
    // then tells with which code.
    bool InitInstance(const QStringList& arguments);
    int exitCode() const { return m_exitCode; }

    // Ends the process with a code: at once when the event loop runs, otherwise start-up stops
    // as soon as the window that asked has returned and the program ends with that code.
    void EndProcess(int code);

    // The kinds of window the program opens, registered before start-up in their order: the
    // first is the main window (see document_templates.cpp).
    void AddDocTemplate(DocumentTemplate documentTemplate);
    const std::vector<DocumentTemplate>& documentTemplates() const { return m_templates; }
    // Opens a new window of a template (0-based); nullptr when it cannot be created.
    QWidget* OpenDocumentFile(std::size_t templateIndex);
    // The window last opened from a template, while it exists; nullptr otherwise.
    QWidget* documentWindow(std::size_t templateIndex) const;

    const Configuration& configuration() const { return m_configuration; }

    // Sets the session's server address, both the wide and the narrow copy.
    void setServerAddress(const QString& address);

    SessionRecord& session() { return m_session; }
    const SessionRecord& session() const { return m_session; }
    Environment& environment() const { return *m_services.environment; }
    UiServices& ui() const { return *m_services.ui; }
    // A browser control for a host window (nullptr when the services make none).
    std::unique_ptr<BrowserControl> createBrowser(QWidget* parent) const;

    // Sends a form script ("/android/....php") with a body to the session's server address,
    // the Host header written from its narrow copy; the owner receives the reply (Msg::Reply,
    // read it with ReplyNotice). Until the login reply names the session's server, that is the
    // built-in server of the configuration. The request owns itself (see COrviHttp).
    COrviHttp* sendRequest(const QByteArray& scriptPath, const QString& body, QObject* owner) const;
    // Uploads a local file to the session's image server at the configured upload port, into
    // a folder under a name; the owner receives the notices (Msg::Upload, read them with
    // UploadNotice). The upload owns itself (see COrviUpload).
    COrviUpload* startUpload(const QString& targetFolder, const QString& targetName,
                             const QString& localPath, QObject* owner) const;

    // Settings file <work folder>/orvisys.sy1: the remembered ID and password.
    QString settingsPath() const;
    void ReadSettings();
    // Keeps the whole result of an admitted login: the ID and password as typed, the reply's
    // session values (the server address in both copies among them), and writes the settings
    // file (the ID and password when remember is not 0, "nothing remembered" otherwise) and
    // fetches the member photo (only for a member number of plain digits, which names its file).
    void StoreLoginResult(const LoginReply& reply, const QString& memberId, const QString& password,
                          int remember);
    // Loads the member photo (start-up), falling back to the default picture.
    void LoadMemberPhoto();
    const CDibPicture* memberPhoto() const { return m_memberPhoto.get(); }
    const QImage& defaultMemberPicture() const { return m_defaultMemberPicture; }

    // Shows or hides the chat window and its input panels.
    void ShowChatWindows(bool show);
    void PlayNotificationSound();
    // The About dialog, run modally, centred on the launcher.
    void OnAppAbout();

    void registerWindow(Window which, QWidget* window);
    template <class T = QWidget> T* window(Window which) const {
        auto it = m_windows.find(which);
        return it == m_windows.end() ? nullptr : qobject_cast<T*>(it->second.data());
    }
    // Registers what an action does, replacing what was registered before.
    void setAction(Action action, ActionHandler run);
    // Runs an action with its argument; false when no feature provides it.
    bool runAction(Action action, const QVariant& argument = {}) const;

    // The code page conversions of the running system.
    QByteArray toNarrow(const QString& text) const;
    QString fromNarrow(const QByteArray& bytes) const;

private:
    // Draws the default member picture the first time it is needed.
    void useDefaultMemberPicture();

    Services m_services;
    Configuration m_configuration;
    SessionRecord m_session;
    std::unique_ptr<CDibPicture> m_memberPhoto;
    QImage m_defaultMemberPicture;
    std::map<Window, QPointer<QWidget>> m_windows;
    std::map<Action, ActionHandler> m_actions;
    std::vector<DocumentTemplate> m_templates;
    std::map<std::size_t, QPointer<QWidget>> m_templateWindows;
    int m_exitCode = 1;
    bool m_endRequested = false;
};

} // namespace orvix
