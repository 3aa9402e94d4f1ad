#pragma once

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
// Ownership: the request owns itself. It releases itself (deleteLater) after the owner's
// handler has returned, and also, without telling the owner anything, when the connection
// fails, the reply is dropped (no Content-Length, larger than the cap, connection closed before
// the body is complete) or no whole reply has arrived within the reply time-out (60 s). Owners
// never delete the request and never keep the pointer past their handler. If the owner is
// destroyed before the reply, nothing is delivered. A request that is prepared but never
// connected is the caller's to delete.
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

    // The reply body as text; the owner reads it in its Msg::Reply handler.
    const QString& replyText() const { return m_replyText; }
    // The Content-Length of the reply (-1 before the reply headers are read).
    int announcedLength() const;
    // The request bytes, complete once prepared (for tests and diagnostics).
    const QByteArray& request() const { return m_request; }

    // How long a request may wait for its whole reply, counted from Connect(). For tests; the
    // default is 60 s. Applies to requests connected afterwards.
    static void setReplyTimeout(std::chrono::milliseconds timeout);
    static std::chrono::milliseconds replyTimeout();

private:
    void onConnected();
    void onReadable();
    void onConnectionEnded();
    void deliver();
    void abandon();

    QPointer<QObject> m_owner;
    QString m_server;
    QByteArray m_request;
    QString m_replyText;
    HttpReplyReader m_reader;
    QTcpSocket* m_socket = nullptr;
    QTimer* m_timer = nullptr;
    bool m_finished = false;
};

} // namespace orvix
