#include "server/upload/upload_receiver.h"

#include "server/core/peer_address.h"
#include "server/upload/upload_gate.h"

#include <QTcpSocket>

namespace orvix::server {

namespace {

constexpr qint64 kChunk = 64 * 1024;

} // namespace

UploadReceiver::UploadReceiver(QTcpSocket* socket, const UploadSettings& settings, UploadGate& gate,
                               QObject* parent)
    : QObject(parent)
    , m_socket(socket)
    , m_settings(settings)
    , m_gate(gate)
    , m_address(PeerAddress::text(socket->peerAddress()))
    , m_file(settings.stagingDir) {
    m_socket->setParent(this);
    // Bytes beyond what is being written wait in the peer's buffers, not here.
    m_socket->setReadBufferSize(kChunk);
    m_block.reserve(UploadHeader::kBlockSize);
    m_deadline.setSingleShot(true);
    m_window.setInterval(qMax(1, settings.rateWindowMs));
    connect(&m_deadline, &QTimer::timeout, this, &UploadReceiver::onDeadline);
    connect(&m_window, &QTimer::timeout, this, &UploadReceiver::checkRate);
    connect(m_socket, &QTcpSocket::readyRead, this, &UploadReceiver::readAvailable);
    connect(m_socket, &QTcpSocket::disconnected, this, &UploadReceiver::onDisconnected);
    m_deadline.start(qMax(1, settings.headerTimeoutMs));
    // Bytes may have arrived before the signals were connected.
    if (m_socket->bytesAvailable() > 0)
        QMetaObject::invokeMethod(this, &UploadReceiver::readAvailable, Qt::QueuedConnection);
}

UploadReceiver::~UploadReceiver() = default;

bool UploadReceiver::abandon() {
    if (m_state == State::Done)
        return false;
    m_state = State::Done;
    m_deadline.stop();
    m_window.stop();
    m_file.discard();
    m_socket->abort();
    return true;
}

void UploadReceiver::readAvailable() {
    if (m_state == State::Done) {
        m_socket->readAll(); // nothing is expected after the file
        return;
    }
    if (m_state == State::Header) {
        m_block += m_socket->read(UploadHeader::kBlockSize - m_block.size());
        if (m_block.size() < UploadHeader::kBlockSize)
            return;
        m_deadline.stop();
        QString reason;
        const auto header = UploadHeader::parse(m_block, m_settings.maxSize, &reason);
        if (!header) {
            refuse(reason);
            return;
        }
        m_header = *header;
        const QString folder = m_gate.targetFolder(m_header, m_address, &reason);
        if (folder.isEmpty()) {
            refuse(
                QStringLiteral("%1 from %2: %3").arg(m_header.relativePath(), m_address, reason));
            return;
        }
        m_destination = folder + u'/' + m_header.name;
        if (!m_file.open(&reason)) {
            refuse(reason);
            return;
        }
        m_state = State::Body;
        m_windowStart = 0;
        m_window.start();
    }
    while (m_state == State::Body) {
        const qint64 remaining = m_header.size - m_file.size();
        if (remaining == 0) {
            store();
            return;
        }
        const QByteArray piece = m_socket->read(qMin(remaining, kChunk));
        if (piece.isEmpty())
            return;
        if (!m_file.write(piece.constData(), piece.size())) {
            refuse(QStringLiteral("cannot write the staged file"));
            return;
        }
    }
}

void UploadReceiver::onDeadline() {
    refuse(QStringLiteral("header not complete after %1 ms (%2 of %3 bytes) from %4")
               .arg(m_settings.headerTimeoutMs)
               .arg(m_block.size())
               .arg(UploadHeader::kBlockSize)
               .arg(m_address));
}

void UploadReceiver::checkRate() {
    if (m_state != State::Body)
        return;
    // Each window must bring the minimum, or the rest of the file when less is left.
    const qint64 got = m_file.size() - m_windowStart;
    const qint64 wanted = qMin(m_settings.minBytesPerSecond * m_settings.rateWindowMs / 1000,
                               m_header.size - m_windowStart);
    if (got < wanted) {
        refuse(QStringLiteral("%1 bytes of %2 in %3 ms, slower than %4 bytes per second, "
                              "from %5")
                   .arg(got)
                   .arg(m_header.relativePath())
                   .arg(m_settings.rateWindowMs)
                   .arg(m_settings.minBytesPerSecond)
                   .arg(m_address));
        return;
    }
    m_windowStart = m_file.size();
}

void UploadReceiver::onDisconnected() {
    if (m_state != State::Done)
        readAvailable(); // what arrived just before the close
    if (m_state == State::Header) {
        refuse(QStringLiteral("connection ended after %1 of %2 header bytes")
                   .arg(m_block.size())
                   .arg(UploadHeader::kBlockSize));
    } else if (m_state == State::Body) {
        refuse(QStringLiteral("connection ended after %1 of %2 bytes of %3")
                   .arg(m_file.size())
                   .arg(m_header.size)
                   .arg(m_header.relativePath()));
    }
}

void UploadReceiver::refuse(const QString& reason) {
    if (!abandon())
        return;
    emit refused(reason);
    finish();
}

void UploadReceiver::store() {
    QString error;
    if (!m_file.commit(m_destination, &error)) {
        refuse(error);
        return;
    }
    m_state = State::Done;
    m_deadline.stop();
    m_window.stop();
    emit stored(m_header.relativePath(), m_header.size);
    m_socket->disconnectFromHost();
    finish();
}

void UploadReceiver::finish() {
    deleteLater();
}

} // namespace orvix::server
