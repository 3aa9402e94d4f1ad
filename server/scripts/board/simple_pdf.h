#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

namespace orvix::server {

// A one-page PDF of plain text lines (a heading, then the lines), written by hand so that a
// server without a display can make it. Only printable ASCII is kept; other characters become
// "?".
class SimplePdf {
public:
    static QByteArray page(const QString& heading, const QStringList& lines);
};

} // namespace orvix::server
