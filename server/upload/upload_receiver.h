#pragma once

#include "server/storage/staged_file.h"
#include "server/upload/upload_header.h"
#include "server/upload/upload_settings.h"

#include <QObject>
#include <QTimer>

class QTcpSocket;

namespace orvix::server {

// One connection to the upload port: the header block, then exactly the announced number of
// bytes, which are staged and renamed into the image tree only when all have arrived. Anything
// else (a refused header, a connection that ends early or falls silent, a write failure) drops
// the connection and leaves no file. The peer is sent nothing; after a stored file the
// connection is closed.
class UploadReceiver : public QObject {
    Q_OBJECT
public:
    // Takes over the socket.
    UploadReceiver(QTcpSocket* socket, const UploadSettings& settings, QObject* parent = nullptr);
    ~UploadReceiver() override;

    // Drops the connection and its staged bytes (server shut-down, refusals). False when the
    // upload had already ended.
    bool abandon();

signals:
    // Sent once; the receiver deletes itself afterwards.
    void stored(const QString& relativePath, qint64 size);
    void refused(const QString& reason);

private:
    void readAvailable();
    void onDisconnected();
    void refuse(const QString& reason);
    void store();
    void finish();

    enum class State { Header, Body, Done };

    QTcpSocket* m_socket;
    const UploadSettings& m_settings;
    State m_state = State::Header;
    QByteArray m_block;
    UploadHeader m_header;
    StagedFile m_file;
    QTimer m_idle;
};

} // namespace orvix::server
