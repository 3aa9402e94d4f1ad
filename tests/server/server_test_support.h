#pragma once

#include "server/app/orvix_server.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <initializer_list>
#include <memory>

namespace orvix::server::test {

// Text lists from literals (the code base builds without implicit conversions from char*).
QStringList strings(std::initializer_list<const char*> items);

// A form request exactly as the desktop client writes it: its fixed header block, then the
// body bytes.
QByteArray clientRequest(const QString& path, const QByteArray& body,
                         const QString& host = QStringLiteral("127.0.0.1"));

// A plain GET as a download would send it.
QByteArray getRequest(const QString& path, const QString& method = QStringLiteral("GET"));

struct HttpReply {
    bool complete = false; // status line, headers and the whole announced body arrived
    QByteArray raw;        // every byte read
    QByteArray statusLine; // without CR LF
    QList<QByteArray> headerLines;
    QByteArray body;

    QByteArray header(const QByteArray& name) const;
    int status() const;
};

// Sends bytes to a local port and reads one reply, running the event loop meanwhile (the
// server may live on this thread). Gives up after timeoutMs.
HttpReply httpExchange(quint16 port, const QByteArray& request, int timeoutMs = 15000);

// Several requests one after the other on one connection.
QList<HttpReply> httpExchangeKeepAlive(quint16 port, const QList<QByteArray>& requests,
                                       int timeoutMs = 15000);

// The body as the client's reply reader finds it: after "ngth:" the length up to the CR, then
// the body nine bytes after the first "/html" that follows. Empty when the reader would deliver
// nothing; *delivered tells.
QByteArray clientReaderBody(const QByteArray& raw, bool* delivered);

// The 2,048-byte upload header block "<size> <folder> <name>" padded with zero bytes.
QByteArray uploadBlock(qint64 size, const QByteArray& folder, const QByteArray& name);

// Connects, writes the bytes (in pieces of pieceSize when given), then closes the connection
// when closeAfter is set, or keeps it open until the server closes it. Runs the event loop.
// Returns false when the connection could not be made.
bool sendRaw(quint16 port, const QByteArray& bytes, bool closeAfter, int pieceSize = 0);

// A server on free ports in a temporary data folder, on this thread.
class ServerFixture {
public:
    explicit ServerFixture(ServerConfig config = {});

    bool start(QString* error = nullptr);
    void restart();

    OrvixServer& server() { return *m_server; }
    ServerContext& context() { return m_server->context(); }
    quint16 httpPort() const { return m_server->httpPort(); }
    quint16 uploadPort() const { return m_server->uploadPort(); }
    QString dataDir() const { return m_dir.path(); }
    QString imageRoot() const { return m_dir.path() + QStringLiteral("/image"); }

    // Adds a member through the registration path (fast hashing is not used: the real one is).
    qint64 addMember(const QString& id, const QString& password);

    // Sends a login and gives the reply body.
    QString login(const QString& id, const QString& password);

private:
    QTemporaryDir m_dir;
    ServerConfig m_config;
    std::unique_ptr<OrvixServer> m_server;
};

} // namespace orvix::server::test
