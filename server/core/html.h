#pragma once

#include <QString>
#include <QStringView>

namespace orvix::server {

// Building the server's web pages. Every value that a member typed (names, titles, comments,
// contents) goes through escape() before it reaches a page; attribute values are quoted with
// '"' and escaped the same way.
class Html {
public:
    // "&", "<", ">", '"' and "'" as entities; everything else as it stands.
    static QString escape(QStringView text);

    // A value for a link's query: percent-encoded so it cannot end the attribute or the query.
    static QString queryValue(QStringView text);

    // A whole page: UTF-8 declared, the site's style sheet, the title (escaped here) as the
    // document title and first heading, then the body as given (already built from escaped
    // parts).
    static QString page(QStringView title, QStringView body);
};

} // namespace orvix::server
