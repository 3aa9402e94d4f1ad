#pragma once

#include <QtGlobal>

namespace orvix::server {

// The bounds that keep one client, or a crowd of them, from taking the server's memory,
// descriptors or time. The defaults suit a public server; tests shorten the times.
struct ServerLimits {
    // --- HTTP ---
    // Request line and header lines together, the blank line included (431 beyond).
    qsizetype maxHeaderBytes = 16 * 1024;
    // The largest request body (413 beyond, announced or not).
    qint64 maxBodyBytes = qint64(8) * 1024 * 1024;
    // Bodies being received on all connections together (503 for a body that does not fit).
    qint64 bodyBudgetBytes = qint64(128) * 1024 * 1024;
    // From the first byte of a request to its last (408 after). A body earns a second more for
    // every bodyBytesPerSecond of it that has arrived, so that a large registration on a slow line
    // gets through while a body that does not come earns nothing.
    int requestTimeoutMs = 30000;
    qint64 bodyBytesPerSecond = 64 * 1024;
    // A connection that waits for a request (fresh or after a reply) is closed after this long.
    int idleTimeoutMs = 60000;
    // A reply of which the peer takes nothing for this long is dropped with its connection.
    int sendStallTimeoutMs = 60000;
    // After refusing a request, how long the server still reads (and discards) what the peer
    // goes on sending, so that the peer gets to read the refusal before the connection ends.
    int lingerMs = 2000;
    // Open HTTP connections at once; 0 chooses from the descriptor limit. When full, the
    // connection that has been idle longest is closed for a new one; with none idle, the new
    // one is refused.
    int maxConnections = 0;
    // Open HTTP connections from one address (the same rule when full).
    int maxConnectionsPerAddress = 128;
    int listenBacklog = 1024;

    // --- Upload port ---
    // The 2,048-byte header block must have arrived this long after the connection opened.
    int uploadHeaderTimeoutMs = 10000;
    // After the header, every window of this length must bring at least
    // uploadMinBytesPerSecond × window (or the rest of the file).
    int uploadRateWindowMs = 10000;
    qint64 uploadMinBytesPerSecond = 4096;
    // Uploads at once (0 chooses from the descriptor limit), and from one address.
    int maxUploads = 0;
    int maxUploadsPerAddress = 8;

    // --- PC login ---
    // Failed password checks allowed from one address / for one ID before a back-off; each
    // failure beyond doubles the back-off from loginBackoffMs up to loginMaxBackoffMs. During a
    // back-off, a login that would need a full password check is refused without a check; the
    // refusal is given when the back-off ends, or loginRefusalDelayMs later at most.
    int loginFreeFailuresPerAddress = 5;
    int loginFreeFailuresPerId = 10;
    int loginBackoffMs = 1000;
    int loginMaxBackoffMs = 30000;
    int loginRefusalDelayMs = 5000;
    // A record without a new failure for this long is forgotten.
    int loginForgetMs = 15 * 60 * 1000;
    // Threads for full password checks (0: one per core), and checks that one address may have
    // waiting or running at once (more are refused like a wrong password, after
    // loginRefusalDelayMs).
    int passwordCheckThreads = 0;
    int maxPasswordChecksPerAddress = 4;
};

} // namespace orvix::server
