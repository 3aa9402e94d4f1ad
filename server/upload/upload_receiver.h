#pragma once

#include "server/storage/staged_file.h"
#include "server/upload/upload_header.h"
#include "server/upload/upload_settings.h"

#include <QObject>
#include <QTimer>

class QTcpSocket;

namespace orvix::server {

class UploadGate;

// One connection to the upload port: the header block, then exactly the announced number of
// bytes, which are staged and renamed into the image tree only when all have arrived. Anything
// else (a header refused by its form or by the gate, a connection that ends early, a header not
// complete in time, a body slower than the minimum rate, a write failure) drops the connection
// and leaves no file. The peer is sent nothing; after a stored file the connection is closed.
class UploadReceiver : public QObject {
    Q_OBJECT
public:
    // Takes over the socket. The gate decides where the file may go.
    UploadReceiver(QTcpSocket* socket, const UploadSettings& settings, UploadGate& gate,
                   QObject* parent = nullptr);
    ~UploadReceiver() override;

    // Drops the connection and its staged bytes (server shut-down, refusals). False when the
    // upload had already ended.
    bool abandon();

    // The peer's address (PeerAddress::text).
    const QString& address() const { return m_address; }

signals:
    // Sent once; the receiver deletes itself afterwards.
    void stored(const QString& relativePath, qint64 size);
    void refused(const QString& reason);

private:
    void readAvailable();
    void onDisconnected();
    void onDeadline();
    void checkRate();
    void refuse(const QString& reason);
    void store();
    void finish();

    enum class State { Header, Body, Done };

    QTcpSocket* m_socket;
    const UploadSettings& m_settings;
    UploadGate& m_gate;
    QString m_address;
    State m_state = State::Header;
    QByteArray m_block;
    UploadHeader m_header;
    QString m_destination;
    StagedFile m_file;
    QTimer m_deadline;        // the header's
    QTimer m_window;          // the body's minimum rate
    qint64 m_windowStart = 0; // bytes of the file at the start of the window
};

} // namespace orvix::server
