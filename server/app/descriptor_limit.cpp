#include "server/app/descriptor_limit.h"

#include <QtGlobal>

#include <climits>

#include <sys/resource.h>

namespace orvix::server {

namespace {

// Descriptors kept for everything but connections: the database and its journal, the listening
// ports, signal and event descriptors, logs, a picture being read.
constexpr int kReserved = 64;
// Caps beyond which more connections would not help anyone: memory, not descriptors, is then
// what runs out.
constexpr int kMostConnections = 16384;
constexpr int kMostUploads = 512;

int clampToInt(rlim_t value) {
    return value == RLIM_INFINITY || value > rlim_t(INT_MAX) ? INT_MAX : int(value);
}

} // namespace

int DescriptorLimit::current() {
    rlimit limit{};
    if (getrlimit(RLIMIT_NOFILE, &limit) != 0)
        return 1024;
    return clampToInt(limit.rlim_cur);
}

int DescriptorLimit::raise() {
    rlimit limit{};
    if (getrlimit(RLIMIT_NOFILE, &limit) == 0 && limit.rlim_cur < limit.rlim_max) {
        limit.rlim_cur = limit.rlim_max;
        setrlimit(RLIMIT_NOFILE, &limit);
    }
    return current();
}

ServerLimits DescriptorLimit::fit(ServerLimits limits, int descriptors) {
    const int available = qMax(64, descriptors - kReserved);
    if (limits.maxUploads <= 0)
        limits.maxUploads = qBound(8, available / 8, kMostUploads);
    // What the uploads may take (two each) is kept for them; the rest is shared by the HTTP
    // connections, two each (one more while a connection sends a file).
    if (limits.maxConnections <= 0) {
        const int forHttp = qMax(32, available - 2 * limits.maxUploads);
        limits.maxConnections = qBound(16, forHttp / 2, kMostConnections);
    }
    return limits;
}

} // namespace orvix::server
