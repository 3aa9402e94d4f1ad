#include "net/orvi_upload.h"

#include "net/server_address.h"
#include "net/upload_notice.h"
#include "platform/message_target.h"
#include "platform/worker_thread.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QMetaObject>
#include <QNetworkProxy>
#include <QPointer>
#include <QTcpSocket>
#include <QThread>
#include <QTimer>

#include <cstring>

namespace orvix {

namespace {

// How long one wait for the socket lasts before the worker looks at its stop flag again.
constexpr int WaitSliceMs = 50;

// The system's send buffer for the upload. Kept modest, so that a piece counts as sent when
// it is close to the wire rather than parked in a buffer of several megabytes: the progress
// shown follows the real transfer, and a peer that takes nothing is noticed soon.
constexpr int SendBufferSize = 64 * 1024;

} // namespace

// Receives the worker's messages on the window thread and hands them to the owner there. It
// lives as long as the upload, which joins its worker first, so the worker always talks to a
// living window even when the owner is gone.
class COrviUpload::Relay : public QObject, public MessageTarget {
public:
    explicit Relay(QObject* parent)
        : QObject(parent) {}

    QPointer<QObject> owner;

    int onMessage(int message, WParam wParam, LParam lParam) override {
        return sendMessage(owner.data(), message, wParam, lParam);
    }
};

COrviUpload::COrviUpload(QObject* parent)
    : QObject(parent)
    , m_relay(new Relay(this)) {
    QCoreApplication* app = QCoreApplication::instance();
    if (app && app->thread() == thread()) {
        if (!parent)
            setParent(app);
        connect(app, &QCoreApplication::aboutToQuit, this, &COrviUpload::shutDown);
    }
}

COrviUpload::~COrviUpload() {
    shutDown();
    // A socket the worker never took over (it was stopped before it ran) is deleted here.
    delete m_socket;
}

int COrviUpload::Start(const QString& host, quint16 port, const QString& targetFolder,
                       const QString& targetName, const QString& localPath, QObject* owner) {
    if (m_started)
        return 0;
    m_started = true;
    m_host = host;
    m_targetFolder = targetFolder;
    m_targetName = targetName;
    m_localPath = localPath;
    m_relay->owner = owner;

    m_socket = new QTcpSocket;
    m_socket->setProxy(QNetworkProxy::NoProxy); // always straight to the image server
    connect(m_socket, &QTcpSocket::connected, this, &COrviUpload::onConnected);
    connect(m_socket, &QTcpSocket::errorOccurred, this, &COrviUpload::fail);
    connect(m_socket, &QTcpSocket::disconnected, this, &COrviUpload::fail);

    m_connectTimer = new QTimer(this);
    m_connectTimer->setSingleShot(true);
    connect(m_connectTimer, &QTimer::timeout, this, &COrviUpload::fail);
    m_connectTimer->start(m_stallTimeout);

    const QString hostPart = ServerAddress::parse(host).host;
    if (hostPart.isEmpty() || port == 0)
        fail();
    else
        m_socket->connectToHost(hostPart, port);
    return 1;
}

QByteArray COrviUpload::headerBlock(qint64 size, const QString& targetFolder,
                                    const QString& targetName) {
    const QByteArray text =
        QByteArray::number(size) + ' ' + targetFolder.toUtf8() + ' ' + targetName.toUtf8();
    if (text.size() + 1 > BlockSize)
        return QByteArray();
    QByteArray block(BlockSize, '\0');
    std::memcpy(block.data(), text.constData(), static_cast<size_t>(text.size()));
    return block;
}

void COrviUpload::onConnected() {
    if (m_ended)
        return;
    m_connectTimer->stop();
    m_socket->disconnect(this);
    // The socket changes threads outside its own notification, which goes on using it.
    QMetaObject::invokeMethod(this, &COrviUpload::beginTransfer, Qt::QueuedConnection);
}

void COrviUpload::beginTransfer() {
    if (m_ended)
        return;
    m_socket->setSocketOption(QAbstractSocket::SendBufferSizeSocketOption, SendBufferSize);
    m_worker = std::make_unique<WorkerThread>([this](WorkerThread& worker) { transfer(worker); });
    m_socket->moveToThread(m_worker.get());
    m_worker->start();
}

// Connecting failed or took too long: the upload ends without a message.
void COrviUpload::fail() {
    if (m_ended)
        return;
    m_ended = true;
    m_connectTimer->stop();
    m_socket->disconnect(this);
    m_socket->abort();
    deleteLater();
}

// Stops and joins the worker, whatever it is waiting for; afterwards the upload is inert.
void COrviUpload::shutDown() {
    m_ended = true;
    if (m_connectTimer)
        m_connectTimer->stop();
    if (m_worker) {
        m_worker->stop();
        m_worker->wait();
        m_worker.reset();
    }
    if (m_socket && m_socket->thread() == QThread::currentThread()) {
        m_socket->disconnect(this);
        m_socket->abort();
    }
}

// The worker's body. The socket belongs to this thread now and is deleted here.
void COrviUpload::transfer(WorkerThread& worker) {
    const bool sent = sendFile(worker);
    if (sent) {
        // Anything the peer sent is read first, so that closing sends a clean end of stream.
        m_socket->readAll();
        m_socket->disconnectFromHost();
    }
    delete m_socket;
    m_socket = nullptr;
    if (sent && !worker.isStopping())
        report(UploadNotice{UploadNotice::Kind::Finished, m_size, this});
    // A stopped worker belongs to an upload that is being destroyed or shut down already.
    if (!worker.isStopping())
        deleteLater();
}

bool COrviUpload::sendFile(WorkerThread& worker) {
    QFile file(m_localPath);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    const qint64 size = file.size();
    m_size = size;
    const QByteArray header = headerBlock(size, m_targetFolder, m_targetName);
    if (header.isEmpty())
        return false;

    report(UploadNotice{UploadNotice::Kind::Started, size, nullptr});
    if (worker.isStopping() || !writeAll(worker, header.constData(), header.size()))
        return false;

    QByteArray piece(BlockSize, '\0');
    qint64 sent = 0;
    for (;;) {
        // Never more than the size announced in the header, even if the file has grown.
        const qint64 wanted = qMin<qint64>(BlockSize, size - sent);
        if (wanted > 0) {
            const qint64 read = file.read(piece.data(), wanted);
            if (read <= 0)
                return false; // a read error, or the file shrank
            if (!writeAll(worker, piece.constData(), read))
                return false;
            sent += read;
        }
        report(UploadNotice{UploadNotice::Kind::Progress, sent, nullptr});
        if (worker.isStopping())
            return false;
        if (sent >= size)
            break;
        if (m_piecePause.count() > 0 && !worker.sleepFor(m_piecePause))
            return false;
    }
    file.close();
    return true;
}

// Sends the bytes and waits until the socket has handed all of them to the system. Fails when
// the connection ends, the worker is stopped, or the peer takes nothing for the stall time-out.
bool COrviUpload::writeAll(WorkerThread& worker, const char* data, qint64 size) {
    if (m_socket->state() != QAbstractSocket::ConnectedState || m_socket->write(data, size) != size)
        return false;
    QElapsedTimer idle;
    idle.start();
    qint64 pending = m_socket->bytesToWrite();
    while (pending > 0) {
        if (worker.isStopping())
            return false;
        m_socket->waitForBytesWritten(WaitSliceMs);
        if (m_socket->bytesAvailable() > 0)
            m_socket->readAll(); // the server has nothing to say here; drop whatever arrives
        if (m_socket->state() != QAbstractSocket::ConnectedState)
            return false;
        const qint64 now = m_socket->bytesToWrite();
        if (now < pending) {
            pending = now;
            idle.restart();
        } else if (idle.hasExpired(m_stallTimeout.count())) {
            return false;
        }
    }
    return true;
}

int COrviUpload::report(const UploadNotice& notice) {
    return notice.sendTo(m_relay);
}

} // namespace orvix
