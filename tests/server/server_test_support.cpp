#include "server_test_support.h"

#include "server/admin/member_registration.h"
#include "support/http_peer.h"

#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QHostAddress>
#include <QTcpSocket>
#include <QTimer>

namespace orvix::server::test {

using namespace Qt::StringLiterals;

QStringList words(const char* text) {
    return QString::fromUtf8(text).split(u' ');
}

QByteArray clientRequest(const QString& path, const QByteArray& body) {
    return "POST " + path.toUtf8() +
           " HTTP/1.1\r\nHost: 127.0.0.1\r\nAccept-Encoding: gzip,deflate\r\n"
           "Connection: keep-alive\r\nContent-Type: application/x-www-form-urlencoded\r\n"
           "Content-Length: " +
           QByteArray::number(body.size()) + "\r\n\r\n" + body;
}

QByteArray getRequest(const QString& path) {
    return "GET " + path.toUtf8() + " HTTP/1.1\r\nHost: 127.0.0.1\r\nUser-Agent: test\r\n\r\n";
}

bool connectFrom(QTcpSocket& socket, quint16 port, const QString& from) {
    if (!from.isEmpty() && !socket.bind(QHostAddress(from), 0))
        return false;
    socket.connectToHost(u"127.0.0.1"_s, port);
    return socket.waitForConnected(5000);
}

QByteArray httpExchange(quint16 port, const QByteArray& request, const QString& from) {
    QTcpSocket socket;
    QEventLoop loop;
    QByteArray reply;
    QObject::connect(&socket, &QTcpSocket::readyRead, &loop, [&] {
        reply += socket.readAll();
        if (orvix::test::HttpPeer::Request::parse(reply)) // head and announced body are in
            loop.quit();
    });
    QObject::connect(&socket, &QTcpSocket::disconnected, &loop, &QEventLoop::quit);
    QObject::connect(&socket, &QTcpSocket::errorOccurred, &loop, &QEventLoop::quit);
    QTimer::singleShot(15000, &loop, &QEventLoop::quit);
    if (!from.isEmpty())
        socket.bind(QHostAddress(from), 0);
    socket.connectToHost(u"127.0.0.1"_s, port);
    socket.write(request);
    loop.exec();
    return reply + socket.readAll();
}

QByteArray bodyOf(const QByteArray& reply) {
    const qsizetype end = reply.indexOf("\r\n\r\n");
    return end < 0 ? QByteArray() : reply.mid(end + 4);
}

QString login(quint16 port, const QString& id, const QString& password, const QString& from) {
    const QByteArray body = "id=" + id.toUtf8() + "&password=" + password.toUtf8();
    return QString::fromUtf8(
        bodyOf(httpExchange(port, clientRequest(u"/android/pclogin.php"_s, body), from)));
}

QByteArray uploadBlock(qint64 size, const QByteArray& folder, const QByteArray& name) {
    const QByteArray text = QByteArray::number(size) + ' ' + folder + ' ' + name;
    return text + QByteArray(2048 - text.size(), '\0');
}

bool writeFile(const QString& path, const QByteArray& bytes) {
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

ServerFixture::ServerFixture(ServerConfig config)
    : m_server([&] {
        config.dataDir = m_dir.path();
        config.httpPort = config.uploadPort = 0;
        return config;
    }()) {
    QString error;
    m_running = m_server.start(&error);
    if (!m_running)
        qWarning("server did not start: %s", qPrintable(error));
}

qint64 ServerFixture::addMember(const QString& id, const QString& password) {
    const auto member = MemberRegistration(context()).add(id, password, id, {}, nullptr);
    return member ? member->memberNo : -1;
}

QString ServerFixture::openSession(qint64 memberNo, const QString& address) {
    return context().pcAccess().admit(memberNo, true, address).deviceId;
}

} // namespace orvix::server::test
