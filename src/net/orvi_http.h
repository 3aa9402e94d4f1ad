#pragma once

#include "net/failure_notice.h"
#include "net/http_reply_reader.h"

#include <QByteArray>
#include <QObject>
#include <QPointer>
#include <QString>

#include <chrono>

class QTcpSocket;
class QTimer;

namespace orvix {

// One form request to a server script: a hand-built HTTP/1.1 POST over a TCP socket, and the
// reply body handed to the window that asked.
//
// Use, on the window thread:
//     COrviHttp::Send(server, serverNarrow, "/android/pclogin.php", body, this);
// (or new + Prepare + Connect; windows of the session use COrvixWinApp::sendRequest). The owner,
// a QObject that is also a MessageTarget, receives Msg::Reply (1034) synchronously and reads it
// with ReplyNotice: the request, whose replyText() it reads in its handler, and the
// Content-Length of the reply.
//
// A request that will bring no reply tells its owner so with Msg::RequestFailed (1036), read
// with FailureNotice: when the connection fails, the reply is dropped (no Content-Length,
// larger than the cap, connection closed before the body is complete) or no whole reply has
// arrived within the reply time-out (60 s unless setTimeout() says otherwise). An owner gets
// exactly one of the two messages, never synchronously inside Send() or Connect(); owners that
// do not care about failures ignore the message.
//
// Ownership: the request owns itself. It releases itself (deleteLater) after the owner's
// handler of the reply or the failure has returned. Owners never delete the request and never
// keep the pointer past their handler. If the owner is destroyed first, nothing is delivered. A
// request that is prepared but never connected is the caller's to delete.
//
// The body is sent as its UTF-8 bytes, exactly as given: nothing is escaped or added. The
// reply is read until its headers and Content-Length bytes of body have arrived, however many
// pieces that takes; there are no redirects, no chunked decoding and no decompression.
class COrviHttp : public QObject {
    Q_OBJECT
public:
    explicit COrviHttp(QObject* parent = nullptr);
    ~COrviHttp() override;

    // Stores the owner and the server address, writes the whole request (the Host header from
    // the narrow address as it stands) and does not touch the network.
    void Prepare(const QString& server, const QByteArray& serverNarrow,
                 const QByteArray& scriptPath, const QString& body, QObject* owner);
    // Connects to the host and port of the server address (port 80 when absent) and returns at
    // once; the request is written when the connection is made. Called once.
    void Connect();

    // new + Prepare + Connect; returns the request, which owns itself.
    static COrviHttp* Send(const QString& server, const QByteArray& serverNarrow,
                           const QByteArray& scriptPath, const QString& body, QObject* owner);

    // How long this request waits for its whole reply, counted from now when it is connected
    // already (as it is when it comes from Send), from Connect() otherwise.
    void setTimeout(std::chrono::milliseconds timeout);

    // The reply body as text; the owner reads it in its Msg::Reply handler.
    const QString& replyText() const { return m_replyText; }
    // The Content-Length of the reply (-1 before the reply headers are read).
    int announcedLength() const;
    // The request bytes, complete once prepared (for tests and diagnostics).
    const QByteArray& request() const { return m_request; }

    // How long a request may wait for its whole reply, counted from Connect(), unless it sets
    // its own. For tests; the default is 60 s. Applies to requests connected afterwards.
    static void setReplyTimeout(std::chrono::milliseconds timeout);
    static std::chrono::milliseconds replyTimeout();

private:
    void onConnected();
    void onReadable();
    void onConnectionEnded();
    void deliver();
    // Ends the request without a reply: the socket is closed, the owner told (from a fresh call)
    // and the request released.
    void abandon(FailureNotice::Reason reason);
    void fail(FailureNotice::Reason reason);

    QPointer<QObject> m_owner;
    QString m_server;
    QByteArray m_request;
    QString m_replyText;
    HttpReplyReader m_reader;
    QTcpSocket* m_socket = nullptr;
    QTimer* m_timer = nullptr;
    std::chrono::milliseconds m_timeout{-1}; // -1: the shared default
    bool m_connected = false;
    bool m_finished = false;
};

} // namespace orvix
