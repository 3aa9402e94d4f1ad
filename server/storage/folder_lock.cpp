#include "server/storage/folder_lock.h"

#include <QByteArray>
#include <QFile>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace orvix::server {

FolderLock::~FolderLock() {
    if (m_fd >= 0)
        ::close(m_fd); // releases the lock
}

bool FolderLock::acquire(const QString& path, QString* error) {
    auto fail = [&](const QString& reason) {
        if (error)
            *error = reason;
        return false;
    };
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
    if (fd < 0) {
        return fail(QStringLiteral("cannot open %1: %2")
                        .arg(path, QString::fromLocal8Bit(std::strerror(errno))));
    }
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        const bool held = errno == EWOULDBLOCK;
        char holder[32] = {};
        const ssize_t got = ::pread(fd, holder, sizeof(holder) - 1, 0);
        ::close(fd);
        if (!held)
            return fail(QStringLiteral("cannot lock %1").arg(path));
        return fail(QStringLiteral("in use by another orvix-server (process %1)")
                        .arg(QString::fromLatin1(holder, got > 0 ? int(got) : 0).trimmed()));
    }
    // Who holds it, for the message of a server that finds it held.
    const QByteArray pid = QByteArray::number(qint64(::getpid())) + '\n';
    // The lock itself is what counts; the process number is only for a message.
    const bool noted =
        ::ftruncate(fd, 0) == 0 && ::pwrite(fd, pid.constData(), size_t(pid.size()), 0) > 0;
    Q_UNUSED(noted);
    m_fd = fd;
    return true;
}

} // namespace orvix::server
