#include "server_test_support.h"

#include "server/admin/member_registration.h"

#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QTcpSocket>
#include <QTimer>

namespace orvix::server::test {

using namespace Qt::StringLiterals;

QStringList words(const char* text) {
    return QString::fromUtf8(text).split(u' ');
}

QByteArray clientRequest(const QString& path, const QByteArray& body) {
    return "POST " + path.toUtf8() +
           " HTTP/1.1\r\nHost: 127.0.0.1\r\n"
           "User-Agent: Mozilla/5.0 (Windows; U; Windows NT 6.1; en-US; rv:1.9.1.5) "
           "Gecko/20091102 Firefox/3.5.5 (.NET CLR 3.5.30729)\r\n"
           "Accept: text/html,application/xhtml+xml,application/xml;q=0.9,*/*;q=0.8\r\n"
           "Accept-Language: en-us,en;q=0.5\r\nAccept-Encoding: gzip,deflate\r\n"
           "Accept-Charset: ISO-8859-1,utf-8;q=0.7,*;q=0.7\r\nKeep-Alive: 300\r\n"
           "Connection: keep-alive\r\nReferer: http://127.0.0.1/test.php\r\n"
           "Content-Type: application/x-www-form-urlencoded\r\nContent-Length: " +
           QByteArray::number(body.size()) + "\r\n\r\n" + body;
}

QByteArray getRequest(const QString& path) {
    return "GET " + path.toUtf8() + " HTTP/1.1\r\nHost: 127.0.0.1\r\nUser-Agent: test\r\n\r\n";
}

QByteArray httpExchange(quint16 port, const QByteArray& request) {
    QTcpSocket socket;
    QEventLoop loop;
    QByteArray reply;
    QObject::connect(&socket, &QTcpSocket::connected, &loop, [&] { socket.write(request); });
    QObject::connect(&socket, &QTcpSocket::readyRead, &loop, [&] {
        reply += socket.readAll();
        const qsizetype end = reply.indexOf("\r\n\r\n");
        const qsizetype at = reply.indexOf("Content-Length: ");
        if (end < 0 || at < 0 || at > end)
            return;
        const qsizetype length = reply.mid(at + 16, reply.indexOf('\r', at) - at - 16).toLongLong();
        if (reply.size() >= end + 4 + length)
            loop.quit();
    });
    QObject::connect(&socket, &QTcpSocket::disconnected, &loop, &QEventLoop::quit);
    QObject::connect(&socket, &QTcpSocket::errorOccurred, &loop, &QEventLoop::quit);
    QTimer::singleShot(15000, &loop, &QEventLoop::quit);
    socket.connectToHost(u"127.0.0.1"_s, port);
    loop.exec();
    return reply;
}

QByteArray bodyOf(const QByteArray& reply) {
    const qsizetype end = reply.indexOf("\r\n\r\n");
    return end < 0 ? QByteArray() : reply.mid(end + 4);
}

QString login(quint16 port, const QString& id, const QString& password) {
    const QByteArray body = "id=" + id.toUtf8() + "&password=" + password.toUtf8();
    return QString::fromUtf8(
        bodyOf(httpExchange(port, clientRequest(u"/android/pclogin.php"_s, body))));
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

QByteArray readFile(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

namespace {

ServerConfig onFreePorts(ServerConfig config, const QString& dataDir) {
    config.dataDir = dataDir;
    config.httpPort = 0;
    config.uploadPort = 0;
    return config;
}

} // namespace

ServerFixture::ServerFixture(ServerConfig config)
    : m_server(onFreePorts(std::move(config), m_dir.path())) {
    QString error;
    m_running = m_server.start(&error);
    if (!m_running)
        qWarning("server did not start: %s", qPrintable(error));
}

qint64 ServerFixture::addMember(const QString& id, const QString& password) {
    const auto member = MemberRegistration(context()).add(id, password, id, {}, nullptr);
    return member ? member->memberNo : -1;
}

QString ServerFixture::login(const QString& id, const QString& password) {
    return test::login(httpPort(), id, password);
}

} // namespace orvix::server::test
