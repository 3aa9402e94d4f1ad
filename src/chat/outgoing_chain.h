#pragma once

#include "chat/send_queue.h"

#include <QString>

#include <chrono>
#include <map>

namespace orvix {

// The sending of queued messages, one per step of the sending worker. A text is one request; a
// photo is an upload of its thumbnail, then of the photo, both to the folder "chatdata", then,
// after a pause, the same request carrying both names. Each request and upload is followed to
// its end: a reply that does not refuse the message marks it sent; a refusal ("0"), a request
// that failed or timed out, or a failed upload marks it not sent, so the member sees it and can
// send it again. The sending worker's done flag is cleared by every step and set by every
// reply (and at a step that finds nothing to send).
class OutgoingChain {
public:
    static inline const QString ChatFolder = QStringLiteral("chatdata");
    static constexpr std::chrono::milliseconds PhotoPause{5000};

    // What the chain asks of the window that runs it. Requests and uploads are numbered by the
    // chain; the window reports their ends with the same numbers.
    class Host {
    public:
        virtual void sendRequest(int request, const QString& body) = 0;
        virtual void startUpload(int upload, const QString& folder, const QString& name,
                                 const QString& localPath) = 0;
        // Calls photoPauseOver(photo) once the pause has passed, without blocking.
        virtual void startPause(int photo, std::chrono::milliseconds pause) = 0;
        // An entry's state changed (to show it on its bubble).
        virtual void entryChanged(const SendQueueEntry& entry) = 0;
        // The worker's done flag.
        virtual void setDone(int done) = 0;

    protected:
        ~Host() = default;
    };

    OutgoingChain(SendQueue& queue, Host& host);

    void setDeviceId(const QString& deviceId) { m_deviceId = deviceId; }
    // The pause before a photo's request (5 s; shorter in tests).
    void setPhotoPause(std::chrono::milliseconds pause) { m_photoPause = pause; }
    void setWorkFolder(const QString& folder) { m_workFolder = folder; }

    // The step: done = 0, then start the first unsent entry, or done = 1 when there is none.
    void SendNext();

    // A request's reply arrived (done = 1), or the request ended without one.
    void replyArrived(int request, const QString& replyText);
    void requestFailed(int request);
    // An upload sent its whole file, or ended without doing so.
    void uploadFinished(int upload);
    void uploadFailed(int upload);
    // The pause before a photo's request has passed.
    void photoPauseOver(int photo);

    // Photos whose uploads or pause are still running.
    int photosInProgress() const { return int(m_photos.size()); }

private:
    struct Photo {
        QString sequence;
        QString first;
        QString second;
        int stage = 1; // 1: the thumbnail uploads, 2: the photo uploads, 3: the pause runs
    };

    void startRequest(SendQueueEntry& entry);
    bool startStage(int photoId, Photo& photo);
    void setState(const QString& sequence, SendQueueEntry::State state);
    void failPhoto(int photoId);
    void setDone(int value) { m_host.setDone(value); }

    SendQueue& m_queue;
    Host& m_host;
    QString m_deviceId;
    QString m_workFolder;
    std::chrono::milliseconds m_photoPause = PhotoPause;
    int m_nextId = 0;
    std::map<int, QString> m_requests; // request → sequence of its entry
    std::map<int, int> m_uploads;      // upload → photo
    std::map<int, Photo> m_photos;
};

} // namespace orvix
