#include "server_test_support.h"

#include "server/admin/member_registration.h"

#include <QElapsedTimer>
#include <QEventLoop>
#include <QTcpSocket>
#include <QTimer>

namespace orvix::server::test {

QStringList strings(std::initializer_list<const char*> items) {
    QStringList list;
    for (const char* item : items)
        list.append(QString::fromUtf8(item));
    return list;
}

QByteArray clientRequest(const QString& path, const QByteArray& body, const QString& host) {
    QByteArray request = "POST " + path.toUtf8() + " HTTP/1.1\r\nHost: " + host.toUtf8() + "\r\n";
    request += "User-Agent: Mozilla/5.0 (Windows; U; Windows NT 6.1; en-US; rv:1.9.1.5) "
               "Gecko/20091102 Firefox/3.5.5 (.NET CLR 3.5.30729)\r\n"
               "Accept: text/html,application/xhtml+xml,application/xml;q=0.9,*/*;q=0.8\r\n"
               "Accept-Language: en-us,en;q=0.5\r\n"
               "Accept-Encoding: gzip,deflate\r\n"
               "Accept-Charset: ISO-8859-1,utf-8;q=0.7,*;q=0.7\r\n"
               "Keep-Alive: 300\r\n"
               "Connection: keep-alive\r\n"
               "Referer: http://127.0.0.1/test.php\r\n"
               "Content-Type: application/x-www-form-urlencoded\r\n"
               "Content-Length: ";
    request += QByteArray::number(body.size()) + "\r\n\r\n" + body;
    return request;
}

QByteArray getRequest(const QString& path, const QString& method) {
    return method.toUtf8() + ' ' + path.toUtf8() +
           " HTTP/1.1\r\nHost: 127.0.0.1\r\nUser-Agent: test\r\nCache-Control: no-cache\r\n\r\n";
}

QByteArray HttpReply::header(const QByteArray& name) const {
    for (const QByteArray& line : headerLines) {
        const qsizetype colon = line.indexOf(':');
        if (colon > 0 && line.first(colon).trimmed().compare(name, Qt::CaseInsensitive) == 0)
            return line.sliced(colon + 1).trimmed();
    }
    return {};
}

int HttpReply::status() const {
    const QList<QByteArray> parts = statusLine.split(' ');
    return parts.size() >= 2 ? parts[1].toInt() : 0;
}

namespace {

// Splits the first complete reply off the front of buffer; false while it is incomplete.
bool takeReply(QByteArray& buffer, bool headOnly, HttpReply* reply) {
    const qsizetype end = buffer.indexOf("\r\n\r\n");
    if (end < 0)
        return false;
    const QList<QByteArray> lines = buffer.first(end).split('\n');
    HttpReply parsed;
    parsed.statusLine = lines.value(0);
    if (parsed.statusLine.endsWith('\r'))
        parsed.statusLine.chop(1);
    for (qsizetype i = 1; i < lines.size(); ++i) {
        QByteArray line = lines[i];
        if (line.endsWith('\r'))
            line.chop(1);
        parsed.headerLines.append(line);
    }
    // The reply to HEAD announces a length but carries no body.
    const qsizetype length = headOnly ? 0 : parsed.header("Content-Length").toLongLong();
    if (buffer.size() < end + 4 + length)
        return false;
    parsed.body = buffer.sliced(end + 4, length);
    parsed.raw = buffer.first(end + 4 + length);
    parsed.complete = true;
    buffer.remove(0, end + 4 + length);
    *reply = parsed;
    return true;
}

} // namespace

QList<HttpReply> httpExchangeKeepAlive(quint16 port, const QList<QByteArray>& requests,
                                       int timeoutMs) {
    QList<HttpReply> replies;
    QTcpSocket socket;
    QEventLoop loop;
    QByteArray buffer;
    qsizetype next = 0;
    auto sendNext = [&] {
        if (next < requests.size())
            socket.write(requests[next++]);
        else
            loop.quit();
    };
    QObject::connect(&socket, &QTcpSocket::connected, &loop, sendNext);
    QObject::connect(&socket, &QTcpSocket::readyRead, &loop, [&] {
        buffer += socket.readAll();
        HttpReply reply;
        while (next > 0 && takeReply(buffer, requests[next - 1].startsWith("HEAD "), &reply)) {
            replies.append(reply);
            sendNext();
        }
    });
    QObject::connect(&socket, &QTcpSocket::disconnected, &loop, &QEventLoop::quit);
    QObject::connect(&socket, &QTcpSocket::errorOccurred, &loop, &QEventLoop::quit);
    QTimer::singleShot(timeoutMs, &loop, &QEventLoop::quit);
    socket.connectToHost(QStringLiteral("127.0.0.1"), port);
    loop.exec();
    if (replies.size() < requests.size() && !buffer.isEmpty()) {
        HttpReply partial;
        partial.raw = buffer;
        replies.append(partial);
    }
    return replies;
}

HttpReply httpExchange(quint16 port, const QByteArray& request, int timeoutMs) {
    const QList<HttpReply> replies = httpExchangeKeepAlive(port, {request}, timeoutMs);
    return replies.isEmpty() ? HttpReply{} : replies.first();
}

QByteArray clientReaderBody(const QByteArray& raw, bool* delivered) {
    *delivered = false;
    const qsizetype marker = raw.indexOf("ngth:");
    if (marker < 0)
        return {};
    const qsizetype numberStart = marker + 6;
    qsizetype numberEnd = raw.indexOf('\r', numberStart);
    if (numberEnd < 0)
        numberEnd = raw.size();
    const long long announced = raw.mid(numberStart, numberEnd - numberStart).toLongLong();
    if (announced > 10240)
        return {};
    *delivered = true;
    const qsizetype html = raw.indexOf("/html", numberEnd);
    if (html < 0)
        return {};
    QByteArray body = raw.mid(html + 9);
    const qsizetype nul = body.indexOf('\0');
    if (nul >= 0)
        body.truncate(nul);
    return body.left(10240);
}

QByteArray uploadBlock(qint64 size, const QByteArray& folder, const QByteArray& name) {
    QByteArray block = QByteArray::number(size) + ' ' + folder + ' ' + name;
    block.append(QByteArray(2048 - block.size(), '\0'));
    return block;
}

bool sendRaw(quint16 port, const QByteArray& bytes, bool closeAfter, int pieceSize) {
    QTcpSocket socket;
    socket.connectToHost(QStringLiteral("127.0.0.1"), port);
    QEventLoop loop;
    QObject::connect(&socket, &QTcpSocket::connected, &loop, &QEventLoop::quit);
    QObject::connect(&socket, &QTcpSocket::errorOccurred, &loop, &QEventLoop::quit);
    QTimer::singleShot(10000, &loop, &QEventLoop::quit);
    loop.exec();
    if (socket.state() != QAbstractSocket::ConnectedState)
        return false;
    const int step = pieceSize > 0 ? pieceSize : int(qMax<qsizetype>(1, bytes.size()));
    for (qsizetype offset = 0; offset < bytes.size(); offset += step) {
        socket.write(bytes.mid(offset, step));
        // Let each piece leave on its own.
        QElapsedTimer timer;
        timer.start();
        while (socket.bytesToWrite() > 0 && timer.elapsed() < 10000) {
            QEventLoop wait;
            QObject::connect(&socket, &QTcpSocket::bytesWritten, &wait, &QEventLoop::quit);
            QObject::connect(&socket, &QTcpSocket::disconnected, &wait, &QEventLoop::quit);
            QTimer::singleShot(50, &wait, &QEventLoop::quit);
            wait.exec();
        }
    }
    if (closeAfter) {
        socket.disconnectFromHost();
        if (socket.state() != QAbstractSocket::UnconnectedState) {
            QEventLoop wait;
            QObject::connect(&socket, &QTcpSocket::disconnected, &wait, &QEventLoop::quit);
            QTimer::singleShot(10000, &wait, &QEventLoop::quit);
            wait.exec();
        }
    } else if (socket.state() == QAbstractSocket::ConnectedState) {
        QEventLoop wait;
        QObject::connect(&socket, &QTcpSocket::disconnected, &wait, &QEventLoop::quit);
        QTimer::singleShot(10000, &wait, &QEventLoop::quit);
        wait.exec();
    }
    return true;
}

ServerFixture::ServerFixture(ServerConfig config)
    : m_config(std::move(config)) {
    m_config.dataDir = m_dir.path();
    m_config.httpPort = 0;
    m_config.uploadPort = 0;
}

bool ServerFixture::start(QString* error) {
    m_server = std::make_unique<OrvixServer>(m_config);
    return m_server->start(error);
}

void ServerFixture::restart() {
    m_server.reset();
    start();
}

qint64 ServerFixture::addMember(const QString& id, const QString& password) {
    QString error;
    const auto member = MemberRegistration(context()).add(id, password, id, {}, &error);
    return member ? member->memberNo : -1;
}

QString ServerFixture::login(const QString& id, const QString& password) {
    const QByteArray body = "id=" + id.toUtf8() + "&password=" + password.toUtf8();
    const HttpReply reply =
        httpExchange(httpPort(), clientRequest(QStringLiteral("/android/pclogin.php"), body));
    return QString::fromUtf8(reply.body);
}

} // namespace orvix::server::test
