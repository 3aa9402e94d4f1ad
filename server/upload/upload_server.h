#pragma once

#include "server/upload/upload_settings.h"

#include <QObject>
#include <QPointer>
#include <QSet>

class QTcpServer;

namespace orvix::server {

class UploadReceiver;

// The upload port: accepts connections and gives each to an UploadReceiver. Lives on the
// upload thread (see UploadService); its signals reach other threads queued.
class UploadServer : public QObject {
    Q_OBJECT
public:
    explicit UploadServer(UploadSettings settings, QObject* parent = nullptr);
    ~UploadServer() override;

    // Starts listening (port 0 picks a free port). Called on the server's thread.
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

    UploadSettings m_settings;
    QTcpServer* m_tcp = nullptr;
    QSet<UploadReceiver*> m_receivers;
    quint16 m_port = 0;
    QString m_error;
};

} // namespace orvix::server
