#include "editor/content_names.h"

#include <cstdlib>

namespace orvix {

namespace {

bool isControl(QChar c) {
    return c.unicode() < 0x20 || c.unicode() == 0x7f;
}

bool isPlainPiece(QStringView name) {
    if (name.isEmpty() || name == u"." || name == u".." || name.toUtf8().size() > 255)
        return false;
    for (QChar c : name) {
        if (c == u'/' || c == u'\\' || c == u':' || isControl(c))
            return false;
    }
    return true;
}

} // namespace

QString ContentNames::zeroPadded(qint64 number, int width) {
    const QString digits = QString::number(std::llabs(number));
    const QString sign = number < 0 ? QStringLiteral("-") : QString();
    return sign + digits.rightJustified(width - int(sign.size()), u'0');
}

QString ContentNames::newFileName(const QString& memberId, int memberNumber, qint32 now) {
    const QString name = memberId + QString::number(memberNumber) + QString::number(now);
    const QString usable = usableFileName(name);
    return usable.isEmpty() ? QString::number(memberNumber) + QString::number(now) : usable;
}

QString ContentNames::mailboxFolder(int memberNumber) {
    return QStringLiteral("mailbox/") + zeroPadded(memberNumber, 10);
}

QString ContentNames::memberContentFile(int memberNumber) {
    return QStringLiteral("mem") + zeroPadded(memberNumber, 12) + QStringLiteral(".sml");
}

QString ContentNames::storeContentFile(int storeNumber) {
    return QStringLiteral("st") + zeroPadded(storeNumber, 9) + QStringLiteral(".sml");
}

QString ContentNames::photoServerName(const QString& fileName, int position) {
    return fileName + QString::number(position) + QStringLiteral(".jpg");
}

QString ContentNames::usableFileName(const QString& name) {
    QString usable = name;
    for (QChar& c : usable) {
        if (QStringView(u"&=,%#?").contains(c))
            c = u'_';
    }
    // The content file is "<name>.sml": the name itself must be a plain piece, and so must the
    // names made from it.
    if (!isPlainPiece(usable) || !isPlainPiece(QString(usable + QStringLiteral("99.jpg"))))
        return QString();
    return usable;
}

bool ContentNames::isSafeLocalName(QStringView name) {
    if (!isPlainPiece(name))
        return false;
    const QString lower = name.toString().toLower();
    return lower != u"orvisys.sy1" && lower != u"prevview.html" && !lower.endsWith(u".sml");
}

} // namespace orvix
