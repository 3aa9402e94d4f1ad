#pragma once

#include "server/upload/upload_settings.h"

#include <QHash>
#include <QObject>
#include <QSet>

#include <memory>

class QTcpServer;
class QTcpSocket;

namespace orvix::server {

class RefusalLog;
class UploadGate;
class UploadReceiver;

// The upload port: accepts connections and gives each to an UploadReceiver. A connection is
// closed at once when its address holds no open PC session, or when the uploads at once (in
// all, or from its address) are at their caps. Lives on the upload thread (see UploadService);
// its signals reach other threads queued.
class UploadServer : public QObject {
    Q_OBJECT
public:
    explicit UploadServer(UploadSettings settings, QObject* parent = nullptr);
    ~UploadServer() override;

    // Opens its database connection and starts listening (port 0 picks a free port). Called on
    // the server's thread.
    bool listen(const QString& address, quint16 port);
    quint16 port() const { return m_port; }
    QString errorString() const { return m_error; }

    // Stops listening and drops every unfinished upload. Called on the server's thread.
    void shutdown();

signals:
    void uploadStored(const QString& relativePath, qint64 size);
    void uploadRefused(const QString& reason);

private:
    void acceptPending();
    void refuseConnection(QTcpSocket* socket, const QString& kind, const QString& details);
    void forget(UploadReceiver* receiver, const QString& address);

    UploadSettings m_settings;
    std::unique_ptr<UploadGate> m_gate;
    QTcpServer* m_tcp = nullptr;
    RefusalLog* m_refusals = nullptr;
    QSet<UploadReceiver*> m_receivers;
    QHash<QString, int> m_perAddress;
    quint16 m_port = 0;
    QString m_error;
};

} // namespace orvix::server
