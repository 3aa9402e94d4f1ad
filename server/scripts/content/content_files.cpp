#include "server/scripts/content/content_files.h"

#include "server/storage/data_folder.h"
#include "server/storage/image_path.h"

#include <QDir>
#include <QFile>
#include <QUuid>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

namespace orvix::server {

namespace {

QString zeroPadded(qint64 number, int width) {
    return QStringLiteral("%1").arg(number, width, 10, QLatin1Char('0'));
}

QString systemError() {
    return QString::fromLocal8Bit(std::strerror(errno));
}

} // namespace

ContentFiles::ContentFiles(const DataFolder& folder)
    : m_folder(folder) {}

QString ContentFiles::mailboxFolder(qint64 mailboxNo) {
    return QStringLiteral("mailbox/") + zeroPadded(mailboxNo, 10);
}

QString ContentFiles::profileName(qint64 memberNo) {
    return QStringLiteral("mem") + zeroPadded(memberNo, 12) + QStringLiteral(".sml");
}

QString ContentFiles::storeName(qint64 storeNo) {
    return QStringLiteral("st") + zeroPadded(storeNo, 9) + QStringLiteral(".sml");
}

bool ContentFiles::isContentName(QStringView fileName) {
    return !fileName.isEmpty() && ImagePath::isSafePiece(fileName) &&
           ImagePath::isSafePiece(fileName.toString() + QStringLiteral(".sml"));
}

QString ContentFiles::pathOf(qint64 mailboxNo, const QString& name) const {
    return m_folder.imageRoot() + u'/' + mailboxFolder(mailboxNo) + u'/' + name;
}

bool ContentFiles::publish(qint64 mailboxNo, const QString& fileName, const QString& publishedName,
                           QString* error) const {
    auto fail = [error](const QString& reason) {
        if (error)
            *error = reason;
        return false;
    };
    if (!isContentName(fileName) || !ImagePath::isSafePiece(publishedName))
        return fail(QStringLiteral("not a content file name"));
    const QString target = fileName + QStringLiteral(".sml");
    if (target == publishedName)
        return true;

    const QString folder = m_folder.imageRoot() + u'/' + mailboxFolder(mailboxNo);
    if (!QDir().mkpath(folder))
        return fail(QStringLiteral("cannot create the folder %1").arg(folder));
    // The link is relative, so it names the file beside it wherever the tree is moved.
    const QString staged =
        QStringLiteral("%1/link-%2")
            .arg(m_folder.stagingDir(), QUuid::createUuid().toString(QUuid::Id128));
    const QByteArray stagedName = QFile::encodeName(staged);
    if (::symlink(QFile::encodeName(target).constData(), stagedName.constData()) != 0)
        return fail(QStringLiteral("cannot link %1: %2").arg(staged, systemError()));
    const QString destination = folder + u'/' + publishedName;
    if (::rename(stagedName.constData(), QFile::encodeName(destination).constData()) != 0) {
        const QString reason =
            QStringLiteral("cannot publish %1: %2").arg(destination, systemError());
        ::unlink(stagedName.constData());
        return fail(reason);
    }
    // The rename survives a power failure once the folder is synced.
    const int fd = ::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
    return true;
}

} // namespace orvix::server
