#include "chat/local_file_name.h"

namespace orvix {

namespace {

bool isForbidden(QChar c) {
    if (c.unicode() < 0x20 || c.unicode() == 0x7f)
        return true;
    switch (c.unicode()) {
    case u'/':
    case u'\\':
    case u':':
    case u'<':
    case u'>':
    case u'"':
    case u'|':
    case u'?':
    case u'*':
        return true;
    default:
        return false;
    }
}

} // namespace

bool LocalFileName::isSafe(QStringView name) {
    if (name.isEmpty() || name == u"." || name == u"..")
        return false;
    for (QChar c : name) {
        if (isForbidden(c))
            return false;
    }
    return true;
}

QString LocalFileName::sanitized(QStringView name) {
    if (name.isEmpty() || name == u"." || name == u"..")
        return QStringLiteral("_");
    QString result = name.toString();
    for (QChar& c : result) {
        if (isForbidden(c) || c == u'&' || c == u'%' || c == u'#')
            c = u'_';
    }
    return result;
}

QString LocalFileName::pathIn(const QString& folder, QStringView name) {
    if (!isSafe(name))
        return {};
    return folder + u'/' + name.toString();
}

} // namespace orvix
