#pragma once

#include "server/core/server_limits.h"
#include "server/http/http_reply.h"
#include "server/http/http_request.h"

#include <QByteArray>
#include <QDeadlineTimer>
#include <QObject>
#include <QTimer>

#include <functional>
#include <memory>

class QFile;
class QTcpSocket;

namespace orvix::server {

class BodyBudget;

// One HTTP connection: reads requests one after another within the limits, hands each whole
// request to the handler, and writes its reply before it reads the next (so a pipelining peer
// waits in its own socket buffer, not in the server's memory).
//
// Bounds: a head over maxHeaderBytes gets 431, a body over maxBodyBytes 413, a body that does
// not fit the shared budget 503, a malformed head 400 (or 501/505), a request not complete in
// time 408; each of these closes the connection. A connection waiting for a request closes
// after idleTimeoutMs; a reply the peer takes nothing of for sendStallTimeoutMs is dropped. A
// file is read only as fast as the peer takes it (at most about 64 KiB waiting to be sent).
class HttpConnection : public QObject {
    Q_OBJECT
public:
    using Handler = std::function<void(const HttpRequest&, const HttpReply&)>;

    // Takes over the connected socket.
    HttpConnection(QTcpSocket* socket, const ServerLimits& limits, BodyBudget& budget,
                   Handler handler, QObject* parent = nullptr);
    ~HttpConnection() override;

    const QString& address() const { return m_address; }
    // Waiting for a request with nothing received of it and nothing left to send.
    bool isIdle() const;
    // When it last became idle (milliseconds of a steady clock).
    qint64 idleSinceMs() const { return m_idleSinceMs; }
    // Part of a request has arrived, the rest not yet (nothing of it is being answered).
    bool isReceiving() const;
    // When the first byte of the request being received arrived (same clock).
    qint64 requestStartMs() const { return m_requestStartMs; }
    // Bytes of replies waiting in the socket to be sent.
    qint64 bytesToWrite() const;

    // Ends the connection at once.
    void drop();

    // Milliseconds of the clock idleSinceMs() uses.
    static qint64 nowMs();

signals:
    // The connection has ended; the object is deleted afterwards.
    void closed(HttpConnection* connection);
    // A request was refused with this status (the connection closes after the refusal).
    void refused(int status);

private:
    friend class HttpReply;
    enum class State { Head, Body, Handling, Sending, Lingering, Closed };

    qint64 inputCap() const;
    void readInput();
    void pump();
    bool readHead();
    bool readBody();
    void dispatch();
    void deliver(quint64 serial, const QByteArray& bytes, bool close);
    void deliverFile(quint64 serial, const QByteArray& head, std::unique_ptr<QFile> file,
                     bool close);
    void pumpFile();
    void replyDone(bool close);
    void refuse(int status);
    void closeAfterFlush();
    void onBytesWritten();
    void onTimeout();
    void armTimer();
    void releaseBody();
    void finish();

    QTcpSocket* m_socket;
    const ServerLimits& m_limits;
    BodyBudget& m_budget;
    Handler m_handler;
    QString m_address;
    QHostAddress m_peer;

    State m_state = State::Head;
    QByteArray m_input;            // received, not yet part of a request
    qsizetype m_scanned = 0;       // bytes of m_input already searched for the end of the head
    bool m_requestStarted = false; // a byte of the next request has arrived
    HttpHead m_head;
    QByteArray m_body;
    qint64 m_reserved = 0; // body bytes set aside in the budget
    QDeadlineTimer m_requestDeadline;
    qint64 m_requestStartMs = 0;
    quint64 m_serial = 0;
    bool m_pumping = false;
    bool m_writeShut = false;

    std::unique_ptr<QFile> m_file;
    qint64 m_fileLeft = 0;
    bool m_closeAfterFile = false;

    qint64 m_idleSinceMs = 0;
    QTimer m_timer;
};

} // namespace orvix::server
