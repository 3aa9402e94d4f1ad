#include "server/upload/upload_server.h"

#include "server/upload/upload_receiver.h"

#include <QHostAddress>
#include <QLoggingCategory>
#include <QTcpServer>
#include <QTcpSocket>

namespace orvix::server {

namespace {

Q_LOGGING_CATEGORY(lcUpload, "orvix.upload")

} // namespace

UploadServer::UploadServer(UploadSettings settings, QObject* parent)
    : QObject(parent)
    , m_settings(std::move(settings)) {}

UploadServer::~UploadServer() {
    shutdown();
}

bool UploadServer::listen(const QString& address, quint16 port) {
    m_tcp = new QTcpServer(this);
    if (!m_tcp->listen(QHostAddress(address), port)) {
        m_error = QStringLiteral("cannot listen on %1:%2: %3")
                      .arg(address)
                      .arg(port)
                      .arg(m_tcp->errorString());
        delete m_tcp;
        m_tcp = nullptr;
        return false;
    }
    m_port = m_tcp->serverPort();
    connect(m_tcp, &QTcpServer::newConnection, this, &UploadServer::acceptPending);
    return true;
}

void UploadServer::shutdown() {
    if (m_tcp) {
        m_tcp->close();
        delete m_tcp;
        m_tcp = nullptr;
    }
    const auto receivers = m_receivers;
    m_receivers.clear();
    for (UploadReceiver* receiver : receivers) {
        receiver->abandon();
        delete receiver;
    }
}

void UploadServer::acceptPending() {
    while (QTcpSocket* socket = m_tcp->nextPendingConnection()) {
        if (m_receivers.size() >= m_settings.maxConnections) {
            qCWarning(lcUpload) << "upload refused: too many uploads at once";
            socket->abort();
            socket->deleteLater();
            emit uploadRefused(QStringLiteral("too many uploads at once"));
            continue;
        }
        auto* receiver = new UploadReceiver(socket, m_settings, this);
        m_receivers.insert(receiver);
        connect(receiver, &QObject::destroyed, this,
                [this, receiver] { m_receivers.remove(receiver); });
        connect(receiver, &UploadReceiver::stored, this, [this](const QString& path, qint64 size) {
            qCInfo(lcUpload) << "stored" << path << size << "bytes";
            emit uploadStored(path, size);
        });
        connect(receiver, &UploadReceiver::refused, this, [this](const QString& reason) {
            qCWarning(lcUpload) << "upload refused:" << reason;
            emit uploadRefused(reason);
        });
    }
}

} // namespace orvix::server
