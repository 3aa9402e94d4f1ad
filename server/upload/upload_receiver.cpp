#include "server/upload/upload_receiver.h"

#include <QTcpSocket>

namespace orvix::server {

namespace {

constexpr qint64 kChunk = 64 * 1024;

} // namespace

UploadReceiver::UploadReceiver(QTcpSocket* socket, const UploadSettings& settings, QObject* parent)
    : QObject(parent)
    , m_socket(socket)
    , m_settings(settings)
    , m_file(settings.stagingDir) {
    m_socket->setParent(this);
    m_block.reserve(UploadHeader::kBlockSize);
    m_idle.setSingleShot(true);
    m_idle.setInterval(settings.idleTimeoutMs);
    connect(&m_idle, &QTimer::timeout, this,
            [this] { refuse(QStringLiteral("no data for %1 ms").arg(m_settings.idleTimeoutMs)); });
    connect(m_socket, &QTcpSocket::readyRead, this, &UploadReceiver::readAvailable);
    connect(m_socket, &QTcpSocket::disconnected, this, &UploadReceiver::onDisconnected);
    m_idle.start();
    // Bytes may have arrived before the signals were connected.
    if (m_socket->bytesAvailable() > 0)
        QMetaObject::invokeMethod(this, &UploadReceiver::readAvailable, Qt::QueuedConnection);
}

UploadReceiver::~UploadReceiver() = default;

bool UploadReceiver::abandon() {
    if (m_state == State::Done)
        return false;
    m_state = State::Done;
    m_idle.stop();
    m_file.discard();
    m_socket->abort();
    return true;
}

void UploadReceiver::readAvailable() {
    if (m_state == State::Done) {
        m_socket->readAll(); // nothing is expected after the file
        return;
    }
    m_idle.start();
    if (m_state == State::Header) {
        m_block += m_socket->read(UploadHeader::kBlockSize - m_block.size());
        if (m_block.size() < UploadHeader::kBlockSize)
            return;
        QString reason;
        const auto header = UploadHeader::parse(m_block, m_settings.maxSize, &reason);
        if (!header) {
            refuse(reason);
            return;
        }
        m_header = *header;
        if (!m_file.open(&reason)) {
            refuse(reason);
            return;
        }
        m_state = State::Body;
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
    const QString relative = m_header.relativePath();
    if (!m_file.commit(m_settings.imageRoot + u'/' + relative, &error)) {
        refuse(error);
        return;
    }
    m_state = State::Done;
    m_idle.stop();
    emit stored(relative, m_header.size);
    m_socket->disconnectFromHost();
    finish();
}

void UploadReceiver::finish() {
    deleteLater();
}

} // namespace orvix::server
