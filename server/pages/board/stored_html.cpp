#include "server/pages/board/stored_html.h"

#include "server/core/html.h"
#include "server/storage/image_path.h"

#include <QList>
#include <QRegularExpression>
#include <QStringList>
#include <QUrl>

#include <optional>
#include <utility>

namespace orvix::server {

namespace {

// A tag longer than this is not one of ours; it shows as text.
constexpr qsizetype kLongestTag = 4096;

struct Tag {
    bool closing = false;
    QString name;
    QList<std::pair<QString, QString>> attributes;
    qsizetype end = 0; // just after the ">"
};

bool isSpace(QChar c) {
    return c == u' ' || c == u'\t' || c == u'\n' || c == u'\r' || c == u'\f';
}

bool isAsciiLetter(QChar c) {
    return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z');
}

bool isAsciiDigit(QChar c) {
    return c >= u'0' && c <= u'9';
}

// Reads the tag that starts with the "<" at `start`, or nothing when the text there is no
// well-formed tag.
std::optional<Tag> readTag(QStringView html, qsizetype start) {
    const qsizetype limit = qMin(html.size(), start + kLongestTag);
    qsizetype at = start + 1;
    Tag tag;
    if (at < limit && html[at] == u'/') {
        tag.closing = true;
        ++at;
    }
    const qsizetype nameStart = at;
    if (at >= limit || !isAsciiLetter(html[at]))
        return std::nullopt;
    while (at < limit && (isAsciiLetter(html[at]) || isAsciiDigit(html[at])))
        ++at;
    tag.name = html.sliced(nameStart, at - nameStart).toString().toLower();

    while (at < limit) {
        while (at < limit && isSpace(html[at]))
            ++at;
        if (at >= limit)
            return std::nullopt;
        if (html[at] == u'>') {
            tag.end = at + 1;
            return tag;
        }
        if (html[at] == u'/' && at + 1 < limit && html[at + 1] == u'>') {
            tag.end = at + 2;
            return tag;
        }
        if (tag.closing)
            return std::nullopt;
        const qsizetype attributeStart = at;
        while (at < limit && !isSpace(html[at]) && html[at] != u'>' && html[at] != u'/' &&
               html[at] != u'=' && html[at] != u'"' && html[at] != u'\'' && html[at] != u'<')
            ++at;
        if (at == attributeStart)
            return std::nullopt;
        QString name = html.sliced(attributeStart, at - attributeStart).toString().toLower();
        while (at < limit && isSpace(html[at]))
            ++at;
        QString value;
        if (at < limit && html[at] == u'=') {
            ++at;
            while (at < limit && isSpace(html[at]))
                ++at;
            if (at >= limit)
                return std::nullopt;
            const QChar quote = html[at];
            if (quote == u'"' || quote == u'\'') {
                const qsizetype close = html.indexOf(quote, at + 1);
                if (close < 0 || close >= limit)
                    return std::nullopt;
                value = html.sliced(at + 1, close - at - 1).toString();
                at = close + 1;
            } else {
                const qsizetype valueStart = at;
                while (at < limit && !isSpace(html[at]) && html[at] != u'>')
                    ++at;
                value = html.sliced(valueStart, at - valueStart).toString();
            }
        }
        for (const auto& attribute : tag.attributes) {
            if (attribute.first == name)
                return std::nullopt; // the same attribute twice: not ours
        }
        tag.attributes.append({name, value});
    }
    return std::nullopt;
}

std::optional<QString> attribute(const Tag& tag, QLatin1String name) {
    for (const auto& [key, value] : tag.attributes) {
        if (key == name)
            return value;
    }
    return std::nullopt;
}

bool onlyAttributes(const Tag& tag, std::initializer_list<QLatin1String> allowed) {
    for (const auto& attribute : tag.attributes) {
        if (std::find(allowed.begin(), allowed.end(), attribute.first) == allowed.end())
            return false;
    }
    return true;
}

// The address that an anchor of the templates leads to: the target of a viewinfo() call, or an
// address as it stands.
QString linkTarget(const QString& href) {
    static const QRegularExpression call(
        QStringLiteral(R"(^\s*javascript:\s*viewinfo\(\s*(["'])(navigate</>(.*)</>|)"
                       R"(photoview</>(.*))\1\s*\)\s*;?\s*$)"),
        QRegularExpression::CaseInsensitiveOption | QRegularExpression::DotMatchesEverythingOption);
    const auto match = call.match(href);
    if (match.hasMatch()) {
        if (match.captured(2).startsWith(QLatin1String("navigate"), Qt::CaseInsensitive))
            return StoredHtml::safeAddress(match.captured(3), true);
        return StoredHtml::safeAddress(match.captured(4), false);
    }
    if (href.trimmed().startsWith(QLatin1String("javascript:"), Qt::CaseInsensitive))
        return {};
    return StoredHtml::safeAddress(href, false);
}

bool isWidth(const QString& width) {
    static const QRegularExpression pattern(QStringLiteral(R"(^\d{1,4}%?$)"));
    return pattern.match(width).hasMatch();
}

// "&" followed by a character reference passes as it is.
qsizetype referenceLength(QStringView html, qsizetype at) {
    static const QRegularExpression reference(
        QStringLiteral(R"(^&(#[0-9]{1,7}|#[xX][0-9a-fA-F]{1,6}|[A-Za-z][A-Za-z0-9]{1,31});)"));
    const auto match = reference.match(html.sliced(at, qMin<qsizetype>(40, html.size() - at)));
    return match.hasMatch() ? match.capturedLength(0) : 0;
}

class Renderer {
public:
    QString run(QStringView html) {
        m_out.reserve(html.size() + html.size() / 4);
        qsizetype at = 0;
        while (at < html.size()) {
            const QChar c = html[at];
            if (c == u'<') {
                const auto tag = readTag(html, at);
                if (tag && take(*tag)) {
                    at = tag->end;
                    continue;
                }
                m_out += QLatin1String("&lt;");
                ++at;
                continue;
            }
            if (c == u'&') {
                const qsizetype length = referenceLength(html, at);
                if (length > 0) {
                    m_out += html.sliced(at, length);
                    at += length;
                } else {
                    m_out += QLatin1String("&amp;");
                    ++at;
                }
                continue;
            }
            m_out += Html::escape(QStringView(&c, 1));
            ++at;
        }
        while (!m_open.isEmpty())
            m_out += QStringLiteral("</%1>").arg(m_open.takeLast());
        return m_out;
    }

private:
    bool take(const Tag& tag) {
        if (tag.closing)
            return close(tag.name);
        if (tag.name == QLatin1String("br")) {
            if (!tag.attributes.isEmpty())
                return false;
            m_out += QLatin1String("<br>");
            return true;
        }
        if (tag.name == QLatin1String("p")) {
            if (!onlyAttributes(tag, {QLatin1String("style")}))
                return false;
            const QString style =
                StoredHtml::safeStyle(attribute(tag, QLatin1String("style")).value_or(QString()));
            m_out += style.isEmpty() ? QStringLiteral("<p>")
                                     : QStringLiteral("<p style=\"%1\">").arg(Html::escape(style));
            m_open.append(tag.name);
            return true;
        }
        if (tag.name == QLatin1String("a")) {
            const auto href = attribute(tag, QLatin1String("href"));
            if (!href || !onlyAttributes(tag, {QLatin1String("href")}) ||
                m_open.contains(QLatin1String("a"))) {
                return false;
            }
            const QString target = linkTarget(*href);
            if (target.isEmpty())
                return false;
            m_out += QStringLiteral("<a href=\"%1\">").arg(Html::escape(target));
            m_open.append(tag.name);
            return true;
        }
        if (tag.name == QLatin1String("image") || tag.name == QLatin1String("img")) {
            const auto src = attribute(tag, QLatin1String("src"));
            const auto width = attribute(tag, QLatin1String("width"));
            if (!src || !onlyAttributes(tag, {QLatin1String("src"), QLatin1String("width")}) ||
                (width && !isWidth(*width))) {
                return false;
            }
            const QString address = StoredHtml::safeAddress(*src, false);
            if (address.isEmpty())
                return false;
            m_out += QStringLiteral("<img src=\"%1\"").arg(Html::escape(address));
            if (width)
                m_out += QStringLiteral(" width=\"%1\"").arg(*width);
            m_out += QLatin1String(" alt=\"\">");
            return true;
        }
        return false;
    }

    bool close(const QString& name) {
        const qsizetype index = m_open.lastIndexOf(name);
        if (index < 0)
            return false;
        while (m_open.size() > index)
            m_out += QStringLiteral("</%1>").arg(m_open.takeLast());
        return true;
    }

    QString m_out;
    QStringList m_open;
};

} // namespace

QString StoredHtml::render(QStringView html) {
    return Renderer().run(html);
}

QString StoredHtml::safeAddress(QStringView address, bool allowBareHost) {
    QString text = address.trimmed().toString();
    if (text.isEmpty())
        return {};
    for (QChar c : text) {
        if (c.unicode() < 0x20 || c.unicode() == 0x7f)
            return {};
    }
    if (text.startsWith(QLatin1String("/image/"))) {
        // A file of this server's own tree: every piece checked, then encoded.
        const QString relative = QUrl::fromPercentEncoding(text.sliced(7).toUtf8());
        const auto pieces = ImagePath::splitFile(relative);
        if (!pieces)
            return {};
        QString encoded = QStringLiteral("/image");
        for (const QString& piece : *pieces)
            encoded += u'/' + QString::fromLatin1(QUrl::toPercentEncoding(piece));
        return encoded;
    }
    if (allowBareHost && !text.contains(QLatin1String("://")) && isAsciiLetter(text[0]) &&
        !text.contains(u':')) {
        text.prepend(QLatin1String("http://"));
    }
    const QUrl url(text, QUrl::TolerantMode);
    const QString scheme = url.scheme().toLower();
    if (!url.isValid() || (scheme != QLatin1String("http") && scheme != QLatin1String("https")) ||
        url.host().isEmpty()) {
        return {};
    }
    return QString::fromUtf8(url.toEncoded(QUrl::FullyEncoded));
}

QString StoredHtml::safeStyle(QStringView style) {
    static const QRegularExpression size(QStringLiteral(R"(^(\d{1,3})(px)?$)"));
    static const QRegularExpression colour(QStringLiteral(R"(^#?([0-9a-f]{6}|[0-9a-f]{3})$)"));
    static const QRegularExpression weight(QStringLiteral(R"(^(normal|bold|[1-9]00)$)"));
    QStringList declarations;
    QStringList seen;
    for (QStringView declaration : style.split(u';')) {
        const qsizetype colon = declaration.indexOf(u':');
        if (colon < 0)
            continue;
        const QString property = declaration.first(colon).trimmed().toString().toLower();
        const QString value = declaration.sliced(colon + 1).trimmed().toString().toLower();
        if (seen.contains(property))
            continue;
        QString kept;
        if (property == QLatin1String("font-size")) {
            const auto match = size.match(value);
            if (match.hasMatch())
                kept = QStringLiteral("%1px").arg(qBound(1, match.captured(1).toInt(), 200));
        } else if (property == QLatin1String("color") ||
                   property == QLatin1String("background-color")) {
            const auto match = colour.match(value);
            if (match.hasMatch())
                kept = u'#' + match.captured(1);
        } else if (property == QLatin1String("text-align")) {
            if (value == QLatin1String("left") || value == QLatin1String("center") ||
                value == QLatin1String("right") || value == QLatin1String("justify")) {
                kept = value;
            }
        } else if (property == QLatin1String("font-style")) {
            if (value == QLatin1String("normal") || value == QLatin1String("italic"))
                kept = value;
        } else if (property == QLatin1String("font-weight")) {
            if (weight.match(value).hasMatch())
                kept = value;
        }
        if (kept.isEmpty())
            continue;
        seen.append(property);
        declarations.append(property + u':' + kept + u';');
    }
    return declarations.join(QString());
}

} // namespace orvix::server
