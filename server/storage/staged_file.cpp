#include "server/storage/staged_file.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QUuid>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

namespace orvix::server {

namespace {

// Makes a rename inside this folder survive a power failure.
void syncFolder(const QString& folder) {
    const int fd = ::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

} // namespace

StagedFile::StagedFile(const QString& stagingDir)
    : m_stagingDir(stagingDir) {}

StagedFile::~StagedFile() {
    discard();
}

bool StagedFile::open(QString* error) {
    discard();
    const QString name =
        QStringLiteral("%1/stage-%2").arg(m_stagingDir, QUuid::createUuid().toString(QUuid::Id128));
    m_file = std::make_unique<QFile>(name);
    if (!m_file->open(QIODevice::WriteOnly | QIODevice::NewOnly)) {
        if (error)
            *error = QStringLiteral("cannot create %1: %2").arg(name, m_file->errorString());
        m_file.reset();
        return false;
    }
    m_written = 0;
    return true;
}

bool StagedFile::write(const char* data, qint64 size) {
    if (!m_file)
        return false;
    if (m_file->write(data, size) != size)
        return false;
    m_written += size;
    return true;
}

bool StagedFile::commit(const QString& destination, QString* error) {
    auto fail = [&](const QString& reason) {
        if (error)
            *error = reason;
        discard();
        return false;
    };
    if (!m_file)
        return fail(QStringLiteral("nothing staged"));
    if (!m_file->flush() || ::fsync(m_file->handle()) != 0)
        return fail(QStringLiteral("cannot write %1: %2").arg(destination, m_file->errorString()));
    m_file->close();
    const QString folder = QFileInfo(destination).absolutePath();
    if (!QDir().mkpath(folder))
        return fail(QStringLiteral("cannot create the folder %1").arg(folder));
    const QByteArray from = QFile::encodeName(m_file->fileName());
    const QByteArray to = QFile::encodeName(destination);
    if (::rename(from.constData(), to.constData()) != 0) {
        return fail(QStringLiteral("cannot store %1: %2")
                        .arg(destination, QString::fromLocal8Bit(std::strerror(errno))));
    }
    m_file.reset();
    syncFolder(folder);
    return true;
}

void StagedFile::discard() {
    if (!m_file)
        return;
    m_file->close();
    m_file->remove();
    m_file.reset();
    m_written = 0;
}

bool StagedFile::writeWhole(const QString& stagingDir, const QString& destination,
                            const QByteArray& bytes, QString* error) {
    StagedFile file(stagingDir);
    if (!file.open(error))
        return false;
    if (!file.write(bytes.constData(), bytes.size())) {
        if (error)
            *error = QStringLiteral("cannot write %1").arg(destination);
        return false;
    }
    return file.commit(destination, error);
}

} // namespace orvix::server
