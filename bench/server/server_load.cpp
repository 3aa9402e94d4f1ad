#include "server_load.h"

#include <QTcpSocket>
#include <QTextStream>
#include <QTimer>

#include <ctime>

namespace orvix::server::bench {

double threadCpuSeconds() {
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return double(now.tv_sec) + double(now.tv_nsec) / 1e9;
}

QByteArray formRequest(const QByteArray& path, const QByteArray& body) {
    return "POST " + path +
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

ServerThread::ServerThread(ServerConfig config, Prepare prepare)
    : m_config(std::move(config))
    , m_prepare(std::move(prepare)) {}

bool ServerThread::startAndWait() {
    start();
    m_ready.acquire();
    return m_port != 0;
}

double ServerThread::cpuSeconds() {
    double seconds = 0;
    QMetaObject::invokeMethod(
        m_probe, [&] { seconds = threadCpuSeconds(); }, Qt::BlockingQueuedConnection);
    return seconds;
}

void ServerThread::run() {
    QObject probe;
    m_probe = &probe;
    OrvixServer server(m_config);
    QString error;
    if (!server.start(&error)) {
        QTextStream(stderr) << error << '\n';
        m_ready.release();
        return;
    }
    if (m_prepare)
        m_prepare(server);
    m_port = server.httpPort();
    m_ready.release();
    exec();
}

struct LoadRun::Client {
    std::unique_ptr<QTcpSocket> socket;
    QByteArray buffer;
};

LoadRun::LoadRun(quint16 port, Requests requests, int clients, bool keepAlive, qint64 limit,
                 BodySeen bodySeen)
    : m_port(port)
    , m_requests(std::move(requests))
    , m_keepAlive(keepAlive)
    , m_limit(limit)
    , m_bodySeen(std::move(bodySeen)) {
    for (int i = 0; i < clients; ++i)
        m_clients.push_back(std::make_unique<Client>());
}

LoadRun::~LoadRun() = default;

qint64 LoadRun::run(int milliseconds) {
    for (auto& client : m_clients)
        begin(*client);
    QTimer::singleShot(milliseconds, &m_loop, &QEventLoop::quit);
    m_loop.exec();
    m_stopped = true;
    for (auto& client : m_clients)
        client->socket.reset();
    return m_replies;
}

void LoadRun::begin(Client& client) {
    if (m_stopped)
        return;
    if (client.socket && client.socket->state() == QAbstractSocket::ConnectedState && m_keepAlive) {
        client.socket->write(m_requests());
        return;
    }
    if (client.socket) {
        client.socket->disconnect();
        client.socket->abort();
        client.socket.release()->deleteLater();
    }
    client.socket = std::make_unique<QTcpSocket>();
    client.buffer.clear();
    QTcpSocket* socket = client.socket.get();
    connect(socket, &QTcpSocket::connected, this, [this, socket] { socket->write(m_requests()); });
    connect(socket, &QTcpSocket::readyRead, this, [this, &client] { onData(client); });
    connect(socket, &QTcpSocket::errorOccurred, this, [this, &client] {
        ++m_failures;
        QTimer::singleShot(0, this, [this, &client] { begin(client); });
    });
    socket->connectToHost(QStringLiteral("127.0.0.1"), m_port);
}

void LoadRun::onData(Client& client) {
    client.buffer += client.socket->readAll();
    const qsizetype end = client.buffer.indexOf("\r\n\r\n");
    if (end < 0)
        return;
    const qsizetype at = client.buffer.indexOf("Content-Length: ");
    const qsizetype length =
        client.buffer.mid(at + 16, client.buffer.indexOf('\r', at) - at - 16).toLongLong();
    if (client.buffer.size() < end + 4 + length)
        return;
    m_lastBody = client.buffer.mid(end + 4, length);
    if (m_bodySeen)
        m_bodySeen(m_lastBody);
    client.buffer.remove(0, end + 4 + length);
    if (++m_replies >= m_limit) {
        m_loop.quit();
        return;
    }
    begin(client);
}

} // namespace orvix::server::bench
