#pragma once

// What the loopback benchmarks of the reference server share: the server on a thread of its
// own whose CPU time can be read, the desktop client's exact form request, and clients that
// send requests as fast as the replies come back.

#include "server/app/orvix_server.h"

#include <QByteArray>
#include <QEventLoop>
#include <QObject>
#include <QSemaphore>
#include <QThread>

#include <functional>
#include <limits>
#include <memory>
#include <vector>

class QTcpSocket;

namespace orvix::server::bench {

// CPU seconds used so far by the calling thread.
double threadCpuSeconds();

// A form script request with the desktop client's headers, as it sends them.
QByteArray formRequest(const QByteArray& path, const QByteArray& body);

// The server on its own thread (its HTTP side is one thread: one core). prepare runs on that
// thread once the server listens, before startAndWait() returns.
class ServerThread : public QThread {
public:
    using Prepare = std::function<void(OrvixServer&)>;
    explicit ServerThread(ServerConfig config, Prepare prepare = {});

    bool startAndWait();
    quint16 port() const { return m_port; }
    // The server thread's CPU seconds so far, asked of that thread.
    double cpuSeconds();

protected:
    void run() override;

private:
    ServerConfig m_config;
    Prepare m_prepare;
    QSemaphore m_ready;
    QObject* m_probe = nullptr;
    quint16 m_port = 0;
};

// Clients that each send a request, read the whole reply and go again: on the same connection
// (keepAlive) or on a new one each time, as the desktop client does.
class LoadRun : public QObject {
public:
    using Requests = std::function<QByteArray()>;
    using BodySeen = std::function<void(const QByteArray&)>;

    LoadRun(quint16 port, Requests requests, int clients, bool keepAlive,
            qint64 limit = std::numeric_limits<qint64>::max(), BodySeen bodySeen = {});
    ~LoadRun() override;

    // Runs for the given time (or until limit replies) and gives the number of replies.
    qint64 run(int milliseconds);
    qint64 failures() const { return m_failures; }
    QByteArray lastBody() const { return m_lastBody; }

private:
    struct Client;
    void begin(Client& client);
    void onData(Client& client);

    quint16 m_port;
    Requests m_requests;
    bool m_keepAlive;
    qint64 m_limit;
    BodySeen m_bodySeen;
    std::vector<std::unique_ptr<Client>> m_clients;
    QEventLoop m_loop;
    qint64 m_replies = 0;
    qint64 m_failures = 0;
    bool m_stopped = false;
    QByteArray m_lastBody;
};

} // namespace orvix::server::bench
