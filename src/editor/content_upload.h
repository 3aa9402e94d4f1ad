#pragma once

#include <QByteArray>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QTimer>

#include <chrono>
#include <vector>

namespace orvix {

class ContentModel;

// Publishing a content: build the export HTML, write the content file, upload it and then
// each photo (about one second apart) to the content's server folder, register the content,
// then by the content's kind:
// - member profile: the profile update, and "수정되었습니다." at once;
// - store: the store update, and "수정되었습니다." at once;
// - post: the post registration, then (the post view reloads, the editor hides) the post text
//   update, then a fresh post list.
// The chain is driven by the notices of the uploads (Msg::Upload) and the replies of the
// requests (Msg::Reply), which the view hands over. A reply whose first field is not "1"
// shows "php error" and ends the chain.
//
// The chain never blocks the window: the pause between photos is a timer. While it runs, a
// second start is refused. When it ends early (a "php error", an upload that fails or a
// request that is never answered), the progress strip is hidden so the member can try again.
class ContentUpload : public QObject {
    Q_OBJECT
public:
    // What the chain needs from the window it runs in.
    class Host {
    public:
        virtual ~Host() = default;
        // Builds the export (HTML, photo names, indexes, title, block count); false when it
        // cannot (it has told the member why).
        virtual bool buildExport() = 0;
        // Writes the content file into the working folder.
        virtual void writeContentFile() = 0;
        virtual void showMessage(const QString& text) = 0;
        // The progress strip: shown at 0 for the total bytes of the photos (it then follows
        // every file of the chain against that total), hidden (and set back to 0).
        virtual void showProgress(qint64 total) = 0;
        virtual void hideProgress() = 0;
        // Starts an upload whose end reaches the chain through uploadFinished(); returns the
        // upload, which goes away when it ends, or nullptr when it could not start.
        virtual QObject* upload(const QString& folder, const QString& name,
                                const QString& localPath) = 0;
        // Sends a form request whose reply reaches the chain through reply(); returns the
        // request, which goes away when it ends, or nullptr when it could not be sent.
        virtual QObject* request(const QByteArray& script, const QString& body) = 0;
        // A post's content is registered: the post view reloads its page and the editor hides.
        virtual void postRegistered() = 0;
        virtual void requestPostList() = 0;
        virtual QString deviceId() const = 0;
        virtual QString workFolder() const = 0;
        virtual qint32 now() const = 0;
    };

    // Which reply is awaited.
    enum class Phase {
        Idle,
        Files,       // uploading the content file and the photos
        Registering, // content registration
        Posting,     // post registration
        PostText,    // post text update
        LastUpdate,  // profile or store update: the chain is done, the reply only checked
    };

    ContentUpload(ContentModel& model, Host& host, QObject* parent = nullptr);

    // Starts the chain; false when it did not start (already running, no title, a photo file
    // that cannot be opened: the member has been told).
    bool start();
    bool isRunning() const { return m_phase != Phase::Idle && m_phase != Phase::LastUpdate; }
    Phase phase() const { return m_phase; }

    // The current upload has sent its whole file.
    void uploadFinished();
    // A reply to a request; replies of requests the chain is no longer waiting for are ignored.
    void reply(QObject* request, const QString& text);

    // The pause between two files (default one second).
    void setPhotoPause(std::chrono::milliseconds pause) { m_pause.setInterval(pause); }

    const QString& info() const { return m_info; }

private:
    struct Photo {
        QString name;
        QString localPath;
    };

    void uploadNext();
    void startUpload(const QString& name, const QString& localPath);
    void sendRequest(const QByteArray& script, const QString& body, Phase next);
    void fail();
    void end();

    ContentModel& m_model;
    Host& m_host;
    Phase m_phase = Phase::Idle;
    std::vector<Photo> m_photos;
    std::size_t m_nextPhoto = 0;
    QString m_info;
    QTimer m_pause;
    QPointer<QObject> m_upload;
    QPointer<QObject> m_request;
};

} // namespace orvix
