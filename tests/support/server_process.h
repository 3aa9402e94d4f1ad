#pragma once

#include <QProcess>
#include <QStringList>
#include <QTemporaryDir>

namespace orvix::test {

// The reference server run as a child process on free loopback ports, with a data folder of
// its own that is removed afterwards.
class ServerProcess {
public:
    explicit ServerProcess(QString binary);
    ~ServerProcess();

    // Starts "serve" with the given extra options and waits for its ready line.
    bool start(const QStringList& extraOptions = {});
    void stop();

    // Runs an admin command on the same data folder; returns its standard output, or a null
    // array when it failed.
    QByteArray admin(const QStringList& arguments) const;

    QString dataFolder() const { return m_data.path(); }
    quint16 httpPort() const { return m_httpPort; }
    quint16 uploadPort() const { return m_uploadPort; }
    QString httpAddress() const;
    QByteArray output() const { return m_output; }

    // One reply of the server's HTTP port: its status line and body (both empty when no whole
    // reply came within 5 s of silence).
    struct Reply {
        QByteArray status;
        QByteArray body;
    };
    // Sends request bytes as they are and reads one reply.
    Reply exchange(const QByteArray& request) const;
    // A GET of the path and query of address (its host part is not looked at), as a browser
    // sends it.
    Reply get(const QString& address) const;
    qint64 processId() const { return m_process.processId(); }
    // Waits for the server to end (after a signal the test sent, say): its exit code, or -1 when
    // a signal killed it or it still runs after timeoutMs.
    int waitForExit(int timeoutMs = 30000);

private:
    QString m_binary;
    QTemporaryDir m_data;
    QProcess m_process;
    QByteArray m_output;
    quint16 m_httpPort = 0;
    quint16 m_uploadPort = 0;
};

} // namespace orvix::test
