#pragma once

#include "server/app/orvix_server.h"

#include <QByteArray>
#include <QStringList>
#include <QTemporaryDir>

class QTcpSocket;

namespace orvix::server::test {

QStringList words(const char* text); // the items of a text separated by single blanks

// A form request with the headers of the desktop client that could change a reply (it asks for
// gzip and keep-alive; replies must be plain and whole), and a plain GET as a download sends it.
QByteArray clientRequest(const QString& path, const QByteArray& body);
QByteArray getRequest(const QString& path);

// Sends a request to a local port and returns every byte of the reply, once the body it
// announces has arrived or the connection ended. Runs the event loop meanwhile: the server may
// live on this thread. from: the loopback address to send from (127.0.0.1 unless given), so that
// tests can play several clients.
QByteArray httpExchange(quint16 port, const QByteArray& request, const QString& from = {});
QByteArray bodyOf(const QByteArray& reply);
QString login(quint16 port, const QString& id, const QString& password,
              const QString& from = {}); // the reply body

// Connects a socket from a loopback address (127.0.0.1 unless given); false when it failed.
bool connectFrom(QTcpSocket& socket, quint16 port, const QString& from = {});

// The 2,048-byte upload header block "<size> <folder> <name>" padded with zero bytes.
QByteArray uploadBlock(qint64 size, const QByteArray& folder, const QByteArray& name);
bool writeFile(const QString& path, const QByteArray& bytes); // creates the folders

// A server on free ports in a temporary data folder, on this thread, started at once.
class ServerFixture {
public:
    explicit ServerFixture(ServerConfig config = {});

    bool running() const { return m_running; } // says why not as a warning
    OrvixServer& server() { return m_server; }
    ServerContext& context() { return m_server.context(); }
    quint16 httpPort() const { return m_server.httpPort(); }
    quint16 uploadPort() const { return m_server.uploadPort(); }
    QString dataDir() const { return m_dir.path(); }
    QString imageRoot() const { return m_dir.path() + QStringLiteral("/image"); }
    // Adds a member through the registration path, with the real password hashing.
    qint64 addMember(const QString& id, const QString& password);
    // Opens a PC session of the member as a login from the address would; gives its device id.
    QString openSession(qint64 memberNo, const QString& address = QStringLiteral("127.0.0.1"));

private:
    QTemporaryDir m_dir;
    OrvixServer m_server;
    bool m_running = false;
};

} // namespace orvix::server::test
