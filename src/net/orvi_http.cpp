#include "net/orvi_http.h"

#include "net/reply_notice.h"
#include "net/server_address.h"

#include <QMetaObject>
#include <QNetworkProxy>
#include <QTcpSocket>
#include <QTimer>

#include <atomic>
#include <climits>

namespace orvix {

namespace {

std::atomic<qint64> replyTimeoutMs{60000};

// Bytes of a read from the socket at a time; with the reply cap this bounds what a fast or
// hostile peer can make the request hold.
constexpr qint64 ReadBufferSize = 256 * 1024;

// The header lines every request carries between Host and Content-Length, in this order.
constexpr char FixedHeaders[] =
    "User-Agent: Mozilla/5.0 (Windows; U; Windows NT 6.1; en-US; rv:1.9.1.5) Gecko/20091102 "
    "Firefox/3.5.5 (.NET CLR 3.5.30729)\r\n"
    "Accept: text/html,application/xhtml+xml,application/xml;q=0.9,*/*;q=0.8\r\n"
    "Accept-Language: en-us,en;q=0.5\r\n"
    "Accept-Encoding: gzip,deflate\r\n"
    "Accept-Charset: ISO-8859-1,utf-8;q=0.7,*;q=0.7\r\n"
    "Keep-Alive: 300\r\n"
    "Connection: keep-alive\r\n"
    "Referer: http://127.0.0.1/test.php\r\n"
    "Content-Type: application/x-www-form-urlencoded\r\n";

// Narrow text ends at its first zero byte, as it would in a C string.
QByteArray upToZero(const QByteArray& text) {
    const qsizetype zero = text.indexOf('\0');
    return zero < 0 ? text : text.left(zero);
}

} // namespace

COrviHttp::COrviHttp(QObject* parent)
    : QObject(parent) {}

COrviHttp::~COrviHttp() = default;

void COrviHttp::Prepare(const QString& server, const QByteArray& serverNarrow,
                        const QByteArray& scriptPath, const QString& body, QObject* owner) {
    m_owner = owner;
    m_server = server;
    const QByteArray content = upToZero(body.toUtf8());
    m_request = "POST " + upToZero(scriptPath) + " HTTP/1.1\r\nHost: " + upToZero(serverNarrow) +
                "\r\n" + FixedHeaders + "Content-Length: " + QByteArray::number(content.size()) +
                "\r\n\r\n" + content;
}

void COrviHttp::Connect() {
    if (m_socket)
        return;
    m_socket = new QTcpSocket(this);
    m_socket->setProxy(QNetworkProxy::NoProxy); // always straight to the server
    m_socket->setReadBufferSize(ReadBufferSize);
    connect(m_socket, &QTcpSocket::connected, this, &COrviHttp::onConnected);
    connect(m_socket, &QTcpSocket::readyRead, this, &COrviHttp::onReadable);
    connect(m_socket, &QTcpSocket::disconnected, this, &COrviHttp::onConnectionEnded);
    connect(m_socket, &QTcpSocket::errorOccurred, this, &COrviHttp::onConnectionEnded);

    m_timer = new QTimer(this);
    m_timer->setSingleShot(true);
    m_timer->setInterval(m_timeout.count() >= 0 ? m_timeout : replyTimeout());
    connect(m_timer, &QTimer::timeout, this, [this] { abandon(FailureNotice::Reason::TimedOut); });
    m_timer->start();

    const ServerAddress address = ServerAddress::parse(m_server);
    if (!address.isValid()) {
        abandon(FailureNotice::Reason::Unreachable);
        return;
    }
    m_socket->connectToHost(address.host, address.port);
}

COrviHttp* COrviHttp::Send(const QString& server, const QByteArray& serverNarrow,
                           const QByteArray& scriptPath, const QString& body, QObject* owner) {
    auto* request = new COrviHttp;
    request->Prepare(server, serverNarrow, scriptPath, body, owner);
    request->Connect();
    return request;
}

void COrviHttp::setTimeout(std::chrono::milliseconds timeout) {
    m_timeout = timeout;
    if (m_timer && m_timer->isActive())
        m_timer->start(timeout);
}

int COrviHttp::announcedLength() const {
    return static_cast<int>(qBound(qint64(-1), m_reader.announcedLength(), qint64(INT_MAX)));
}

void COrviHttp::setReplyTimeout(std::chrono::milliseconds timeout) {
    replyTimeoutMs.store(timeout.count());
}

std::chrono::milliseconds COrviHttp::replyTimeout() {
    return std::chrono::milliseconds(replyTimeoutMs.load());
}

void COrviHttp::onConnected() {
    m_connected = true;
    if (!m_finished)
        m_socket->write(m_request);
}

void COrviHttp::onReadable() {
    if (m_finished)
        return;
    while (m_socket->bytesAvailable() > 0) {
        switch (m_reader.append(m_socket->read(ReadBufferSize))) {
        case HttpReplyReader::State::Incomplete:
            continue;
        case HttpReplyReader::State::Complete:
            // Hand the reply over from a fresh call rather than from inside the socket's
            // notification, so that nothing the owner's handler does can pull the socket
            // away from under its own signal.
            m_finished = true;
            m_timer->stop();
            m_socket->disconnect(this);
            m_socket->abort();
            QMetaObject::invokeMethod(this, &COrviHttp::deliver, Qt::QueuedConnection);
            return;
        case HttpReplyReader::State::Rejected:
            abandon(FailureNotice::Reason::BadReply);
            return;
        }
    }
}

void COrviHttp::onConnectionEnded() {
    if (m_finished)
        return;
    onReadable();
    if (m_finished)
        return;
    m_reader.finish();
    abandon(m_connected ? FailureNotice::Reason::BadReply : FailureNotice::Reason::Unreachable);
}

void COrviHttp::deliver() {
    m_replyText = m_reader.text();
    const QPointer<COrviHttp> self(this);
    ReplyNotice{this, announcedLength()}.sendTo(m_owner.data());
    if (self)
        deleteLater();
}

void COrviHttp::abandon(FailureNotice::Reason reason) {
    if (m_finished)
        return;
    m_finished = true;
    if (m_timer)
        m_timer->stop();
    if (m_socket) {
        m_socket->disconnect(this);
        m_socket->abort();
    }
    // Like the reply, the failure reaches the owner from a fresh call: never inside Connect(),
    // so the code that sent the request has finished before it hears of the failure.
    QMetaObject::invokeMethod(
        this, [this, reason] { fail(reason); }, Qt::QueuedConnection);
}

void COrviHttp::fail(FailureNotice::Reason reason) {
    const QPointer<COrviHttp> self(this);
    FailureNotice{this, reason}.sendTo(m_owner.data());
    if (self)
        deleteLater();
}

} // namespace orvix
