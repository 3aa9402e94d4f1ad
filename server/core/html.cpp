#include "server/core/html.h"

#include <QUrl>

namespace orvix::server {

namespace {

// One small style sheet for every page: readable on a phone-sized browser pane as well as in a
// desktop window.
const QString kStyle = QStringLiteral(
    "body{font-family:'Noto Sans CJK KR','Noto Sans',sans-serif;margin:0;padding:12px 16px;"
    "color:#222;background:#f6f7f9;line-height:1.5}"
    "h1{font-size:1.25em;margin:0 0 12px;color:#1d4f91}"
    "h2{font-size:1.05em;margin:18px 0 8px;color:#333}"
    "a{color:#1d63c4;text-decoration:none}a:hover{text-decoration:underline}"
    ".card{background:#fff;border:1px solid #dde1e7;border-radius:6px;padding:10px 12px;"
    "margin:0 0 10px}"
    ".meta{color:#777;font-size:.85em}"
    ".empty{color:#888;font-style:italic}"
    "table{border-collapse:collapse;width:100%;background:#fff}"
    "th,td{border-bottom:1px solid #e3e6ea;padding:6px 8px;text-align:left;font-size:.92em}"
    "th{background:#eef1f5}"
    "img{max-width:100%}");

} // namespace

QString Html::escape(QStringView text) {
    QString out;
    out.reserve(text.size() + text.size() / 8);
    for (QChar c : text) {
        switch (c.unicode()) {
        case '&':
            out += QLatin1String("&amp;");
            break;
        case '<':
            out += QLatin1String("&lt;");
            break;
        case '>':
            out += QLatin1String("&gt;");
            break;
        case '"':
            out += QLatin1String("&quot;");
            break;
        case '\'':
            out += QLatin1String("&#39;");
            break;
        default:
            out += c;
        }
    }
    return out;
}

QString Html::queryValue(QStringView text) {
    return QString::fromLatin1(QUrl::toPercentEncoding(text.toString()));
}

QString Html::page(QStringView title, QStringView body) {
    const QString escapedTitle = escape(title);
    return QStringLiteral("<!DOCTYPE html>\n<html><head><meta charset=\"utf-8\">"
                          "<meta name=\"viewport\" content=\"width=device-width\">"
                          "<title>%1</title><style>%2</style></head>\n<body>\n<h1>%1</h1>\n%3\n"
                          "</body></html>\n")
        .arg(escapedTitle, kStyle, body);
}

} // namespace orvix::server
