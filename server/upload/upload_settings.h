#pragma once

#include <QString>

namespace orvix::server {

// Where uploads go and how much the upload port takes.
struct UploadSettings {
    QString imageRoot;
    QString stagingDir;
    qint64 maxSize = qint64(100) * 1024 * 1024;
    // A connection that sends nothing for this long is dropped with what it sent.
    int idleTimeoutMs = 120000;
    // Connections beyond this many at once are closed at once.
    int maxConnections = 512;
};

} // namespace orvix::server
