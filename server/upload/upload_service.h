#pragma once

#include "server/upload/upload_settings.h"

#include <QThread>

namespace orvix::server {

class UploadServer;

// Runs the upload port on a thread of its own, so that file transfers and disk writes never
// hold up the HTTP side.
class UploadService {
public:
    explicit UploadService(UploadSettings settings);
    ~UploadService();

    UploadService(const UploadService&) = delete;
    UploadService& operator=(const UploadService&) = delete;

    bool start(const QString& address, quint16 port, QString* error);
    // Stops the port and the thread; unfinished uploads are dropped. Called by the destructor.
    void stop();

    quint16 port() const { return m_port; }
    // For connecting to its signals (they arrive queued).
    UploadServer* server() const { return m_server; }

private:
    QThread m_thread;
    UploadServer* m_server;
    quint16 m_port = 0;
};

} // namespace orvix::server
