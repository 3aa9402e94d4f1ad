#include "server/upload/upload_server.h"

#include "server/core/peer_address.h"
#include "server/core/refusal_log.h"
#include "server/upload/upload_gate.h"
#include "server/upload/upload_receiver.h"

#include <QHostAddress>
#include <QLoggingCategory>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>

namespace orvix::server {

namespace {

Q_LOGGING_CATEGORY(lcUpload, "orvix.upload")

constexpr int kAcceptRetryMs = 100;

} // namespace

UploadServer::UploadServer(UploadSettings settings, QObject* parent)
    : QObject(parent)
    , m_settings(std::move(settings)) {}

UploadServer::~UploadServer() {
    shutdown();
}

bool UploadServer::listen(const QString& address, quint16 port) {
    m_refusals = new RefusalLog(lcUpload, 5000, this);
    m_gate = std::make_unique<UploadGate>(m_settings.imageRoot, m_settings.databasePath);
    if (!m_gate->open(&m_error))
        return false;
    m_tcp = new QTcpServer(this);
    m_tcp->setListenBacklogSize(m_settings.listenBacklog);
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
    connect(m_tcp, &QTcpServer::acceptError, this, [this](QAbstractSocket::SocketError) {
        m_refusals->note(QStringLiteral("upload connection that could not be accepted"),
                         m_tcp->errorString());
        m_tcp->pauseAccepting();
        QTimer::singleShot(kAcceptRetryMs, m_tcp, [tcp = m_tcp] { tcp->resumeAccepting(); });
    });
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
    m_perAddress.clear();
    for (UploadReceiver* receiver : receivers) {
        receiver->disconnect(this);
        receiver->abandon();
        delete receiver;
    }
    // The database connection and the log's timer belong to this thread: they end here, before
    // the server may be moved to another one.
    m_gate.reset();
    delete m_refusals;
    m_refusals = nullptr;
}

void UploadServer::acceptPending() {
    while (QTcpSocket* socket = m_tcp->nextPendingConnection()) {
        const QString address = PeerAddress::text(socket->peerAddress());
        if (m_receivers.size() >= m_settings.maxConnections) {
            refuseConnection(
                socket,
                QStringLiteral("upload over the cap of %1 at once").arg(m_settings.maxConnections),
                QStringLiteral("from %1").arg(address));
            continue;
        }
        if (m_perAddress.value(address) >= m_settings.maxPerAddress) {
            refuseConnection(socket,
                             QStringLiteral("upload over the cap of %1 per address")
                                 .arg(m_settings.maxPerAddress),
                             QStringLiteral("from %1").arg(address));
            continue;
        }
        if (m_gate->sessionMembers(address).isEmpty()) {
            refuseConnection(socket, QStringLiteral("upload from an address without a PC session"),
                             QStringLiteral("from %1").arg(address));
            continue;
        }
        auto* receiver = new UploadReceiver(socket, m_settings, *m_gate, this);
        m_receivers.insert(receiver);
        ++m_perAddress[address];
        connect(receiver, &QObject::destroyed, this,
                [this, receiver, address] { forget(receiver, address); });
        connect(receiver, &UploadReceiver::stored, this, [this](const QString& path, qint64 size) {
            qCInfo(lcUpload) << "stored" << path << size << "bytes";
            emit uploadStored(path, size);
        });
        connect(receiver, &UploadReceiver::refused, this, [this](const QString& reason) {
            m_refusals->note(QStringLiteral("upload"), reason);
            emit uploadRefused(reason);
        });
    }
}

void UploadServer::refuseConnection(QTcpSocket* socket, const QString& kind,
                                    const QString& details) {
    m_refusals->note(kind, details);
    socket->abort();
    socket->deleteLater();
    emit uploadRefused(QStringLiteral("%1 %2").arg(kind, details));
}

void UploadServer::forget(UploadReceiver* receiver, const QString& address) {
    if (!m_receivers.remove(receiver))
        return;
    auto it = m_perAddress.find(address);
    if (it != m_perAddress.end() && --it.value() <= 0)
        m_perAddress.erase(it);
}

} // namespace orvix::server
