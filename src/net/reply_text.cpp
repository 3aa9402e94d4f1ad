#include "net/reply_text.h"

#include <limits>

namespace orvix {

ReplyFields::ReplyFields(const QString& text, QStringView separator) {
    if (text.isEmpty())
        return;
    if (separator.isEmpty()) {
        m_fields.append(text);
        return;
    }
    qsizetype start = 0;
    for (;;) {
        const qsizetype at = text.indexOf(separator, start);
        if (at < 0) {
            m_fields.append(text.mid(start));
            break;
        }
        m_fields.append(text.mid(start, at - start));
        start = at + separator.size();
    }
}

QString ReplyFields::field(int number) const {
    if (number < 1 || number > m_fields.size())
        return QString();
    return m_fields.at(number - 1);
}

int ReplyFields::count() const {
    return static_cast<int>(m_fields.size());
}

int ReplyFields::number(int n) const {
    return leadingNumber(field(n));
}

namespace {

bool isAsciiSpace(char16_t c) {
    return c == u' ' || c == u'\t' || c == u'\n' || c == u'\v' || c == u'\f' || c == u'\r';
}

} // namespace

int leadingNumber(QStringView text) {
    qsizetype i = 0;
    while (i < text.size() && isAsciiSpace(text[i].unicode()))
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == u'+' || text[i] == u'-')) {
        negative = text[i] == u'-';
        ++i;
    }
    // Accumulate the magnitude in 64 bits and stop growing it once it is past the int range,
    // so that any number of digits is read without overflow.
    constexpr qint64 limit = qint64(std::numeric_limits<int>::max()) + 1;
    qint64 magnitude = 0;
    for (; i < text.size(); ++i) {
        const char16_t c = text[i].unicode();
        if (c < u'0' || c > u'9')
            break;
        if (magnitude <= limit)
            magnitude = magnitude * 10 + (c - u'0');
    }
    if (negative)
        return magnitude >= limit ? std::numeric_limits<int>::min() : static_cast<int>(-magnitude);
    return magnitude >= limit ? std::numeric_limits<int>::max() : static_cast<int>(magnitude);
}

bool isFileNumber(QStringView text) {
    if (text.isEmpty())
        return false;
    for (QChar c : text) {
        if (c < u'0' || c > u'9')
            return false;
    }
    return true;
}

} // namespace orvix
