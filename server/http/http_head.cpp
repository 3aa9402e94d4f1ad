#include "server/http/http_head.h"

namespace orvix::server {

namespace {

bool isTokenChar(char c) {
    if ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9'))
        return true;
    return QByteArrayView("!#$%&'*+-.^_`|~").contains(c);
}

bool isToken(QByteArrayView text) {
    if (text.isEmpty())
        return false;
    for (char c : text) {
        if (!isTokenChar(c))
            return false;
    }
    return true;
}

// Control characters other than a tab may not appear in a field value or a target.
bool hasControl(QByteArrayView text, bool allowTab) {
    for (char c : text) {
        const auto u = static_cast<unsigned char>(c);
        if ((u < 0x20 && !(allowTab && c == '\t')) || u == 0x7f)
            return true;
    }
    return false;
}

QByteArrayView trimmed(QByteArrayView text) {
    while (!text.isEmpty() && (text.front() == ' ' || text.front() == '\t'))
        text = text.sliced(1);
    while (!text.isEmpty() && (text.back() == ' ' || text.back() == '\t'))
        text.chop(1);
    return text;
}

bool sameName(QByteArrayView a, QByteArrayView b) {
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

} // namespace

QByteArray HttpHead::field(QByteArrayView name) const {
    for (const auto& [key, value] : fields) {
        if (sameName(key, name))
            return value;
    }
    return {};
}

qsizetype HttpHead::endOfHead(QByteArrayView data, qsizetype from) {
    for (qsizetype i = qMax<qsizetype>(0, from); i < data.size(); ++i) {
        if (data[i] != '\n')
            continue;
        qsizetype next = i + 1;
        if (next < data.size() && data[next] == '\r')
            ++next;
        if (next < data.size() && data[next] == '\n')
            return next + 1;
    }
    return -1;
}

HttpHead HttpHead::parse(QByteArrayView bytes, qint64 maxBody, int* status) {
    HttpHead head;
    int refusal = 0;
    auto refuse = [&](int code) {
        if (refusal == 0)
            refusal = code;
    };

    QList<QByteArrayView> lines;
    for (qsizetype start = 0; start < bytes.size();) {
        qsizetype end = bytes.indexOf('\n', start);
        if (end < 0)
            end = bytes.size();
        QByteArrayView line = bytes.sliced(start, end - start);
        if (line.endsWith('\r'))
            line.chop(1);
        lines.append(line);
        start = end + 1;
    }
    while (!lines.isEmpty() && lines.back().isEmpty())
        lines.removeLast();
    if (lines.isEmpty()) {
        *status = 400;
        return head;
    }

    // The request line: METHOD SP target SP HTTP/1.x
    const QByteArrayView requestLine = lines.front();
    const qsizetype firstSpace = requestLine.indexOf(' ');
    const qsizetype lastSpace = requestLine.lastIndexOf(' ');
    if (firstSpace <= 0 || lastSpace <= firstSpace + 1) {
        *status = 400;
        return head;
    }
    head.method = requestLine.first(firstSpace).toByteArray();
    const QByteArrayView target = requestLine.sliced(firstSpace + 1, lastSpace - firstSpace - 1);
    const QByteArrayView version = requestLine.sliced(lastSpace + 1);
    if (!isToken(head.method) || target.contains(' ') || hasControl(target, false))
        refuse(400);
    if (version == "HTTP/1.1")
        head.minorVersion = 1;
    else if (version == "HTTP/1.0")
        head.minorVersion = 0;
    else if (version.startsWith("HTTP/") && version.size() == 8 && version[6] == '.')
        refuse(505);
    else
        refuse(400);

    // Origin form ("/path?query") or absolute form ("http://host/path?query").
    QByteArrayView pathAndQuery = target;
    if (!target.startsWith('/')) {
        const qsizetype scheme = target.indexOf("://");
        const QByteArrayView schemeName = scheme > 0 ? target.first(scheme) : QByteArrayView();
        if (!sameName(schemeName, "http") && !sameName(schemeName, "https")) {
            refuse(400);
            pathAndQuery = "/";
        } else {
            const qsizetype slash = target.indexOf('/', scheme + 3);
            pathAndQuery = slash < 0 ? QByteArrayView("/") : target.sliced(slash);
        }
    }
    const qsizetype question = pathAndQuery.indexOf('?');
    head.path = (question < 0 ? pathAndQuery : pathAndQuery.first(question)).toByteArray();
    if (question >= 0)
        head.query = pathAndQuery.sliced(question + 1).toByteArray();

    // Header fields.
    int lengthFields = 0;
    bool close = false;
    bool keepAlive = false;
    for (qsizetype i = 1; i < lines.size(); ++i) {
        const QByteArrayView line = lines[i];
        const qsizetype colon = line.indexOf(':');
        // A line folded onto the previous one, or a name with blanks, is not accepted.
        if (line.isEmpty() || colon <= 0 || !isToken(line.first(colon))) {
            refuse(400);
            continue;
        }
        const QByteArrayView name = line.first(colon);
        const QByteArrayView value = trimmed(line.sliced(colon + 1));
        if (hasControl(value, true)) {
            refuse(400);
            continue;
        }
        head.fields.append({name.toByteArray(), value.toByteArray()});
        if (sameName(name, "Content-Length")) {
            ++lengthFields;
            bool digits = !value.isEmpty() && value.size() <= 18;
            for (char c : value)
                digits = digits && c >= '0' && c <= '9';
            if (!digits || lengthFields > 1)
                refuse(400);
            else
                head.contentLength = value.toLongLong();
        } else if (sameName(name, "Transfer-Encoding")) {
            refuse(501);
        } else if (sameName(name, "Connection")) {
            for (QByteArrayView option : value.toByteArray().split(',')) {
                option = trimmed(option);
                close = close || sameName(option, "close");
                keepAlive = keepAlive || sameName(option, "keep-alive");
            }
        } else if (sameName(name, "Expect")) {
            head.expectContinue = sameName(value, "100-continue");
        }
    }
    if (lengthFields > 1)
        refusal = 400; // above a size refusal: the length itself is in doubt
    else if (refusal == 0 && head.contentLength > maxBody)
        refusal = 413;
    head.keepAlive = !close && (head.minorVersion == 1 || keepAlive);
    *status = refusal;
    return head;
}

} // namespace orvix::server
