#include "server/http/http_connection.h"

#include "server/core/peer_address.h"
#include "server/http/body_budget.h"
#include "server/http/reply_writer.h"

#include <QFile>
#include <QTcpSocket>

#include <chrono>
#include <climits>
#include <sys/socket.h>

namespace orvix::server {

namespace {

// What is read from the socket at a time, and what the socket may hold unread: a peer that sends
// faster than the server reads waits in its own buffers.
constexpr qint64 kReadChunk = 64 * 1024;
// A file is read in pieces of this size, and only while less than kSendWindow waits to be sent.
constexpr qint64 kFilePiece = 32 * 1024;
constexpr qint64 kSendWindow = 64 * 1024;

} // namespace

void HttpReply::text(int status, const QByteArray& body) const {
    if (m_connection)
        m_connection->deliver(m_serial, ReplyWriter::text(status, body, m_close), m_close);
}

void HttpReply::page(int status, const QByteArray& html, const QByteArray& location) const {
    if (m_connection) {
        m_connection->deliver(m_serial, ReplyWriter::page(status, html, location, m_close),
                              m_close);
    }
}

void HttpReply::file(std::unique_ptr<QFile> file, const QByteArray& contentType,
                     bool headOnly) const {
    if (!m_connection)
        return;
    const QByteArray head = ReplyWriter::fileHead(file->size(), contentType, m_close);
    if (headOnly)
        m_connection->deliver(m_serial, head, m_close);
    else
        m_connection->deliverFile(m_serial, head, std::move(file), m_close);
}

HttpConnection::HttpConnection(QTcpSocket* socket, const ServerLimits& limits, BodyBudget& budget,
                               Handler handler, QObject* parent)
    : QObject(parent)
    , m_socket(socket)
    , m_limits(limits)
    , m_budget(budget)
    , m_handler(std::move(handler))
    , m_address(PeerAddress::text(socket->peerAddress()))
    , m_peer(socket->peerAddress())
    , m_idleSinceMs(nowMs()) {
    m_socket->setParent(this);
    m_socket->setReadBufferSize(kReadChunk);
    m_timer.setSingleShot(true);
    connect(&m_timer, &QTimer::timeout, this, &HttpConnection::onTimeout);
    connect(m_socket, &QTcpSocket::readyRead, this, &HttpConnection::pump);
    connect(m_socket, &QTcpSocket::bytesWritten, this, &HttpConnection::onBytesWritten);
    connect(m_socket, &QTcpSocket::disconnected, this, &HttpConnection::finish);
    armTimer();
    if (m_socket->bytesAvailable() > 0)
        QMetaObject::invokeMethod(this, &HttpConnection::pump, Qt::QueuedConnection);
}

HttpConnection::~HttpConnection() {
    releaseBody();
}

qint64 HttpConnection::nowMs() {
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

bool HttpConnection::isIdle() const {
    return m_state == State::Head && !m_requestStarted && m_socket->bytesToWrite() == 0;
}

bool HttpConnection::isReceiving() const {
    return (m_state == State::Head && m_requestStarted) || m_state == State::Body;
}

qint64 HttpConnection::bytesToWrite() const {
    return m_state == State::Closed ? 0 : m_socket->bytesToWrite();
}

void HttpConnection::drop() {
    if (m_state == State::Closed)
        return;
    m_socket->abort();
    finish();
}

qint64 HttpConnection::inputCap() const {
    // One byte more than a head may have, so that a head over the limit shows as such.
    return qMax<qint64>(kReadChunk, m_limits.maxHeaderBytes + 1);
}

void HttpConnection::readInput() {
    // Only what has arrived: a buffer sized for more would stay that large on an idle
    // connection.
    const qint64 wanted = qMin(inputCap() - m_input.size(), m_socket->bytesAvailable());
    if (wanted > 0)
        m_input += m_socket->read(wanted);
}

void HttpConnection::pump() {
    if (m_pumping)
        return;
    m_pumping = true;
    for (bool progress = true; progress;) {
        switch (m_state) {
        case State::Head:
            progress = readHead();
            break;
        case State::Body:
            progress = readBody();
            break;
        case State::Lingering:
            // Read and forget what the refused peer still sends, so that closing does not
            // reset the connection before the peer has read the refusal.
            while (!m_socket->readAll().isEmpty()) {
            }
            progress = false;
            break;
        default:
            progress = false;
            break;
        }
    }
    m_pumping = false;
}

bool HttpConnection::readHead() {
    // A peer that sends requests without reading the replies waits until it has read them:
    // the next request is not read while a window of replies waits to be sent.
    if (m_socket->bytesToWrite() >= kSendWindow)
        return false;
    readInput();
    if (!m_requestStarted) {
        // Blank lines in front of a request are allowed (some clients end a body with one).
        qsizetype blanks = 0;
        while (blanks < m_input.size() && (m_input[blanks] == '\r' || m_input[blanks] == '\n'))
            ++blanks;
        m_input.remove(0, blanks);
        if (m_input.isEmpty())
            return false;
        // The first byte of a request: from now on the request has to arrive in time.
        m_requestStarted = true;
        m_requestStartMs = nowMs();
        m_requestDeadline.setRemainingTime(m_limits.requestTimeoutMs);
        armTimer();
    }
    const qsizetype end = HttpHead::endOfHead(m_input, qMax<qsizetype>(0, m_scanned - 3));
    if (end < 0) {
        m_scanned = m_input.size();
        if (m_input.size() > m_limits.maxHeaderBytes) {
            refuse(431);
            return false;
        }
        return m_input.size() < inputCap() && m_socket->bytesAvailable() > 0;
    }
    if (end > m_limits.maxHeaderBytes) {
        refuse(431);
        return false;
    }
    int status = 0;
    m_head = HttpHead::parse(QByteArrayView(m_input).first(end), m_limits.maxBodyBytes, &status);
    // What follows the head (its body, a next request) is kept in a buffer of its own size.
    m_input = m_input.sliced(end);
    m_scanned = 0;
    if (status != 0) {
        refuse(status);
        return false;
    }
    if (m_head.contentLength > 0) {
        if (!m_budget.reserve(m_head.contentLength)) {
            refuse(503);
            return false;
        }
        m_reserved = m_head.contentLength;
        if (m_head.expectContinue && m_head.minorVersion == 1 && m_input.isEmpty())
            m_socket->write(ReplyWriter::statusLine(100) + "\r\n");
    }
    // The whole body at once, set aside in the budget already: no copies while it grows, and
    // its pages are taken only as its bytes arrive.
    m_body = QByteArray();
    m_body.reserve(m_head.contentLength);
    m_state = State::Body;
    armTimer();
    return true;
}

bool HttpConnection::readBody() {
    qint64 need = m_head.contentLength - m_body.size();
    if (need > 0 && !m_input.isEmpty()) {
        const qint64 take = qMin<qint64>(need, m_input.size());
        m_body += QByteArrayView(m_input).first(take);
        m_input = m_input.sliced(take);
        need -= take;
    }
    if (need > 0) {
        const qint64 available = qMin(m_socket->bytesAvailable(), qMin(need, kReadChunk));
        if (available <= 0)
            return false;
        const QByteArray piece = m_socket->read(available);
        if (piece.isEmpty())
            return false;
        m_body += piece;
        need -= piece.size();
    }
    // A large body earns more time as it arrives, at a modest rate, on top of the usual
    // deadline; one that does not come earns nothing.
    const qint64 earnedMs = m_body.size() * 1000 / qMax<qint64>(1, m_limits.bodyBytesPerSecond);
    const qint64 deadlineMs = m_requestStartMs + m_limits.requestTimeoutMs + earnedMs;
    if (need > 0 && deadlineMs - nowMs() > m_requestDeadline.remainingTime()) {
        m_requestDeadline.setRemainingTime(deadlineMs - nowMs());
        armTimer();
    }
    if (need > 0)
        return true;
    dispatch();
    return true;
}

void HttpConnection::dispatch() {
    HttpRequest request{std::move(m_head), std::move(m_body), m_peer};
    m_requestStarted = false;
    m_head = HttpHead();
    m_body = QByteArray();
    m_state = State::Handling;
    m_timer.stop();
    const HttpReply reply(this, ++m_serial, !request.head.keepAlive);
    m_handler(request, reply);
    // The body has been handed on; its bytes no longer count against the budget.
    releaseBody();
}

void HttpConnection::deliver(quint64 serial, const QByteArray& bytes, bool close) {
    if (serial != m_serial || m_state != State::Handling)
        return;
    m_socket->write(bytes);
    replyDone(close);
}

void HttpConnection::deliverFile(quint64 serial, const QByteArray& head,
                                 std::unique_ptr<QFile> file, bool close) {
    if (serial != m_serial || m_state != State::Handling)
        return;
    m_socket->write(head);
    m_fileLeft = file->size();
    m_file = std::move(file);
    m_closeAfterFile = close;
    m_state = State::Sending;
    armTimer();
    pumpFile();
}

void HttpConnection::pumpFile() {
    while (m_state == State::Sending && m_fileLeft > 0 && m_socket->bytesToWrite() < kSendWindow) {
        const QByteArray piece = m_file->read(qMin(m_fileLeft, kFilePiece));
        if (piece.isEmpty()) {
            // The file got shorter while it was being sent: the announced length cannot be kept.
            drop();
            return;
        }
        m_fileLeft -= piece.size();
        m_socket->write(piece);
    }
    if (m_state == State::Sending && m_fileLeft == 0) {
        m_file.reset();
        replyDone(m_closeAfterFile);
    }
}

void HttpConnection::replyDone(bool close) {
    if (close) {
        closeAfterFlush();
        return;
    }
    m_state = State::Head;
    m_idleSinceMs = nowMs();
    armTimer();
    // A request that came in behind this one (pipelined) is read now.
    if (!m_pumping)
        QMetaObject::invokeMethod(this, &HttpConnection::pump, Qt::QueuedConnection);
}

void HttpConnection::refuse(int status) {
    emit refused(status);
    releaseBody();
    m_input.clear();
    m_socket->write(ReplyWriter::text(status, ReplyWriter::reasonPhrase(status), true));
    closeAfterFlush();
}

void HttpConnection::closeAfterFlush() {
    m_state = State::Lingering;
    m_requestDeadline.setRemainingTime(qMax(1, m_limits.lingerMs));
    armTimer();
    onBytesWritten();
    pump();
}

void HttpConnection::onBytesWritten() {
    switch (m_state) {
    case State::Sending:
        armTimer(); // progress: the stall time starts again
        pumpFile();
        break;
    case State::Lingering:
        // Everything sent: say so to the peer and wait for it to close its side.
        if (!m_writeShut && m_socket->bytesToWrite() == 0) {
            m_writeShut = true;
            ::shutdown(int(m_socket->socketDescriptor()), SHUT_WR);
        }
        break;
    case State::Head:
        armTimer();
        if (m_socket->bytesToWrite() < kSendWindow)
            pump(); // requests held back behind unread replies
        break;
    default:
        break;
    }
}

void HttpConnection::armTimer() {
    int interval = -1;
    switch (m_state) {
    case State::Head:
        if (m_requestStarted)
            interval = int(qMax<qint64>(0, m_requestDeadline.remainingTime()));
        else if (m_socket->bytesToWrite() > 0)
            interval = m_limits.sendStallTimeoutMs;
        else
            interval = int(qMax<qint64>(0, m_limits.idleTimeoutMs - (nowMs() - m_idleSinceMs)));
        break;
    case State::Body:
    case State::Lingering:
        interval = int(qMin<qint64>(INT_MAX, qMax<qint64>(0, m_requestDeadline.remainingTime())));
        break;
    case State::Sending:
        interval = m_limits.sendStallTimeoutMs;
        break;
    case State::Handling:
    case State::Closed:
        break;
    }
    if (interval < 0)
        m_timer.stop();
    else
        m_timer.start(interval);
}

void HttpConnection::onTimeout() {
    switch (m_state) {
    case State::Head:
        if (m_requestStarted) {
            refuse(408);
        } else if (m_socket->bytesToWrite() > 0) {
            drop();
        } else {
            // Idle for too long: an ordinary end of a keep-alive connection.
            m_socket->disconnectFromHost();
            if (m_socket->state() == QAbstractSocket::UnconnectedState)
                finish();
        }
        break;
    case State::Body:
        refuse(408);
        break;
    case State::Sending:
    case State::Lingering:
        drop();
        break;
    case State::Handling:
    case State::Closed:
        break;
    }
}

void HttpConnection::releaseBody() {
    if (m_reserved > 0) {
        m_budget.release(m_reserved);
        m_reserved = 0;
    }
}

void HttpConnection::finish() {
    if (m_state == State::Closed)
        return;
    m_state = State::Closed;
    m_timer.stop();
    m_file.reset();
    releaseBody();
    m_socket->abort();
    emit closed(this);
    deleteLater();
}

} // namespace orvix::server
