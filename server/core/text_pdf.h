#pragma once

#include <QByteArray>
#include <QStringList>

namespace orvix::server {

// A one-page PDF of plain text lines (a heading and body lines, Helvetica on A4), written
// byte by byte with a correct cross-reference table. The demo's documents (of the library, the
// posts and the contents) are made with it, so the demo needs no document files from anywhere.
// Only printable ASCII is kept; other characters become '?'.
class TextPdf {
public:
    static QByteArray page(const QString& heading, const QStringList& lines);
};

} // namespace orvix::server
