#pragma once

#include <QString>

namespace orvix::server {

// A lock on a data folder held by one serving process at a time: an exclusive flock() on a lock
// file. The kernel lets go of it the moment the process ends, however it ends (kill -9
// included), so a restarted server never finds a stale lock; the file also names the process
// that holds it, for the message of a second server.
class FolderLock {
public:
    FolderLock() = default;
    ~FolderLock();

    FolderLock(const FolderLock&) = delete;
    FolderLock& operator=(const FolderLock&) = delete;

    // Takes the lock on the file at path (created when missing); false, with a reason, when
    // another process holds it or the file cannot be used.
    bool acquire(const QString& path, QString* error);
    bool isHeld() const { return m_fd >= 0; }

private:
    int m_fd = -1;
};

} // namespace orvix::server
