#pragma once

#include <QByteArray>
#include <QObject>
#include <QString>

#include <chrono>
#include <memory>

class QTcpSocket;
class QTimer;

namespace orvix {

class WorkerThread;
struct UploadNotice;

// One file upload to the image server's upload port, with a framing of the program's own: a
// 2,048-byte header block holding "<size> <folder> <name>" in UTF-8 followed by zero bytes,
// then the file's bytes, nothing before or after. The server sends nothing back.
//
// Start() connects on the window thread; once connected, a worker thread of the upload's own
// sends the header block and the file in 2,048-byte pieces, pausing 5 ms between pieces, and
// reports to the owner (a QObject that is also a MessageTarget) with Msg::Upload (1035),
// delivered synchronously on the owner's thread while the worker waits; the owner reads each
// with UploadNotice:
//     Started   once the file is open, before sending; bytes = the file size;
//     Progress  after each piece (an empty file gets one, with 0); bytes = bytes sent so far;
//     Finished  after the whole file went out and the connection was closed; upload = this.
//
// Ownership: the upload owns itself. It releases itself (deleteLater) after the owner's
// Finished handler has returned, and after any failure, when no Finished message comes: the
// connection could not be made (or not within the stall time-out, 60 s), the peer closed the
// connection or took no data for the stall time-out, the file could not be opened, its header
// text does not fit the header block (nothing is sent then), or the file yielded fewer bytes
// than its size at the start (it shrank). Owners never delete the upload and never keep the
// pointer past the Finished handler. If the owner is destroyed first, the upload goes on and
// its messages are dropped. An upload created without a parent is a child of the application
// object, and when the application quits every upload still running is stopped: the worker is
// always stopped and joined before the upload is destroyed, even while it waits for a peer that
// takes no data or for a window.
class COrviUpload : public QObject {
    Q_OBJECT
public:
    static constexpr int BlockSize = 2048;

    explicit COrviUpload(QObject* parent = nullptr);
    ~COrviUpload() override;

    // Stores the fields and connects to the host part of `host` (any port in it is not the
    // upload port) at `port`; returns 1 at once (0 when the upload was already started).
    int Start(const QString& host, quint16 port, const QString& targetFolder,
              const QString& targetName, const QString& localPath, QObject* owner);

    // The header block for a file: "%d %s %s" filled with the size, the folder and the name,
    // in UTF-8, zero-filled to BlockSize bytes. Empty when the text and its terminating zero
    // do not fit.
    static QByteArray headerBlock(qint64 size, const QString& targetFolder,
                                  const QString& targetName);

    const QString& targetFolder() const { return m_targetFolder; }
    const QString& targetName() const { return m_targetName; }
    const QString& localPath() const { return m_localPath; }
    const QString& host() const { return m_host; }
    // The file's size as the header block announces it; 0 until the file was opened.
    qint64 size() const { return m_size; }

    // The pause between pieces (default 5 ms) and the time after which a connection attempt
    // or a peer that takes no data is given up (default 60 s). Set before Start().
    void setPiecePause(std::chrono::milliseconds pause) { m_piecePause = pause; }
    void setStallTimeout(std::chrono::milliseconds timeout) { m_stallTimeout = timeout; }

private:
    class Relay;

    void onConnected();
    void beginTransfer();
    void fail();
    void shutDown();
    void transfer(WorkerThread& worker);
    bool sendFile(WorkerThread& worker);
    bool writeAll(WorkerThread& worker, const char* data, qint64 size);
    int report(const UploadNotice& notice);

    QString m_host;
    QString m_targetFolder;
    QString m_targetName;
    QString m_localPath;
    std::chrono::milliseconds m_piecePause{5};
    std::chrono::milliseconds m_stallTimeout{60000};
    qint64 m_size = 0; // written by the worker before its first notice
    bool m_started = false;
    bool m_ended = false;

    Relay* m_relay = nullptr;         // child; passes the worker's messages to the owner
    QTcpSocket* m_socket = nullptr;   // on this thread while connecting, then the worker's
    QTimer* m_connectTimer = nullptr; // child
    std::unique_ptr<WorkerThread> m_worker;
};

} // namespace orvix
