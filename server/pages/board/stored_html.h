#pragma once

#include <QString>
#include <QStringView>

namespace orvix::server {

// Shows HTML that a client stored (a content's export, an opinion's paragraph) inside one of the
// server's pages. Any client may have sent it, so only what the program's own templates produce
// passes as markup; everything else is shown as text, never run:
// - <p> with a style of font-size, background-color, color, text-align, font-style and
//   font-weight (other declarations, and values that are not of their kind, are dropped);
// - <a> whose href is a viewinfo("navigate</>ADDRESS</>") or viewinfo("photoview</>ADDRESS")
//   call, or an address, leading to an http(s) address (or a file of this server's /image/
//   tree); the link goes to that address directly, so no script is kept;
// - <image> (or <img>) with a width and an http(s) src;
// - <br>.
// A tag with any other name or attribute, a closing tag that closes nothing, and a "<" that
// starts no tag are shown as the text they are. Character references pass; any other "&" is
// shown as itself. Elements left open are closed at the end, so stored HTML cannot reach into
// the rest of the page.
class StoredHtml {
public:
    static QString render(QStringView html);

    // The address a link or picture may lead to, normalised and percent-encoded, or an empty
    // text when it is not acceptable. A bare host such as "www.example.com" becomes an http
    // address.
    static QString safeAddress(QStringView address, bool allowBareHost);

    // The declarations of a style attribute that pass, normalised ("font-size:16px;…").
    static QString safeStyle(QStringView style);
};

} // namespace orvix::server
