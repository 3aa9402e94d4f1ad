#pragma once

#include "app/upload_progress.h"
#include "board/post_view_state.h"
#include "platform/message_target.h"

#include <QHash>
#include <QPointer>
#include <QTimer>
#include <QWidget>

#include <chrono>
#include <memory>
#include <optional>

namespace orvix {

class BrowserControl;
class CExplorer;
class COrviUpload;
class CProgressDlg;

// The post view: the server's page of one post in the embedded browser, and what the member
// adds to the post from the tool bar: an opinion, a photo, a document, a content written in the
// editor. Every change is registered with the server, then the page is loaded again, the info
// update goes out (with the last opinion written here, empty when none) and the post list is
// fetched again.
//
// Each request keeps the kind it was sent with, so its reply is handled by that kind even when
// another request went out meanwhile. After a photo's upload the registration waits two
// seconds on a timer; the window goes on answering meanwhile.
class COrvixAreaView : public QWidget, public MessageTarget {
    Q_OBJECT
public:
    // The view's commands (sent to its frame).
    enum Command {
        SmartEditor = 1052,
        WriteText = 1049,
        AttachPhoto = 1050,
        AttachDocument = 1051,
        Reload = 1053,
        AreaList = 1019,
        Back = 1020,
        Forward = 1021,
    };
    static constexpr int PhotoRegistrationDelayMs = 2000;
    static constexpr int PhotoUpload = 2; // the upload kind of a post photo

    explicit COrvixAreaView(QWidget* parent = nullptr);
    ~COrvixAreaView() override;

    // Registers the view with the application object (and the reload of the post shown as an
    // action the editor runs) and makes the progress strip.
    void OnInitialUpdate();

    // Shows a post: its page, the viewed request, the member's folder.
    void OpenPost(const QString& mailIndex);
    // Runs a command; false for ids that are not the view's.
    bool OnCommand(int id);

    int onMessage(int message, WParam wParam, LParam lParam) override;

    const PostViewState& state() const { return m_state; }
    CExplorer* explorer() const { return m_explorer; }
    BrowserControl* browser() const;
    CProgressDlg* progress() const { return m_progress; }
    // Requests sent and not answered yet, by kind (for tests).
    QList<int> pendingKinds() const { return m_kinds.values(); }
    bool photoRegistrationWaiting() const { return m_photoTimer.isActive(); }
    // The wait between a photo's upload and its registration (two seconds; tests shorten it).
    std::chrono::milliseconds photoRegistrationDelay() const {
        return std::chrono::milliseconds(m_photoTimer.interval());
    }
    void setPhotoRegistrationDelay(std::chrono::milliseconds delay) {
        m_photoTimer.setInterval(int(delay.count()));
    }

private:
    void sessionToState();
    void navigate(const QString& address);
    void send(const QByteArray& script, const QString& body, int kind);
    void WriteOpinion();
    void AttachPhotoFile();
    void AttachDocumentFile();
    void OpenEditor();
    void InfoUpdate();
    void RegisterPhoto();
    int OnReply(QObject* request, const QString& text);
    void OnPhotoUploaded(COrviUpload* upload);
    void message(const QString& text);

    PostViewState m_state;
    CExplorer* m_explorer;
    CProgressDlg* m_progress = nullptr;
    std::optional<UploadProgress> m_uploadProgress;
    QHash<QObject*, int> m_kinds;
    QPointer<QObject> m_upload;
    std::shared_ptr<bool> m_uploadFinished;
    int m_uploadKind = 0;
    QTimer m_photoTimer;
};

} // namespace orvix
