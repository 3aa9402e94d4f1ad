#include "server/upload/upload_service.h"

#include "server/upload/upload_server.h"

namespace orvix::server {

UploadService::UploadService(UploadSettings settings)
    : m_server(new UploadServer(std::move(settings))) {
    m_thread.setObjectName(QStringLiteral("upload"));
}

UploadService::~UploadService() {
    stop();
    delete m_server;
}

bool UploadService::start(const QString& address, quint16 port, QString* error) {
    m_server->moveToThread(&m_thread);
    m_thread.start();
    bool listening = false;
    QMetaObject::invokeMethod(
        m_server, [&] { listening = m_server->listen(address, port); },
        Qt::BlockingQueuedConnection);
    if (!listening) {
        if (error)
            *error = m_server->errorString();
        stop();
        return false;
    }
    m_port = m_server->port();
    return true;
}

void UploadService::stop() {
    if (!m_thread.isRunning())
        return;
    // The server comes back to this thread, so that it can be deleted here after the upload
    // thread has ended.
    QThread* home = QThread::currentThread();
    QMetaObject::invokeMethod(
        m_server,
        [this, home] {
            m_server->shutdown();
            m_server->moveToThread(home);
        },
        Qt::BlockingQueuedConnection);
    m_thread.quit();
    m_thread.wait();
}

} // namespace orvix::server
