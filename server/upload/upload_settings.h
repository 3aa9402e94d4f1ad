#pragma once

#include <QString>

namespace orvix::server {

// Where uploads go, how much the upload port takes, and how long it waits.
struct UploadSettings {
    QString imageRoot;
    QString stagingDir;
    // The server's database, for the PC sessions that allow an address to upload.
    QString databasePath;
    qint64 maxSize = qint64(100) * 1024 * 1024;
    // The 2,048-byte header must have arrived this long after the connection opened.
    int headerTimeoutMs = 10000;
    // After the header, each window of rateWindowMs must bring at least
    // minBytesPerSecond × window (or the rest of the file).
    int rateWindowMs = 10000;
    qint64 minBytesPerSecond = 4096;
    // Uploads at once, and from one address; connections beyond are closed at once.
    int maxConnections = 512;
    int maxPerAddress = 8;
    int listenBacklog = 1024;
};

} // namespace orvix::server
