#pragma once

#include <QString>

namespace orvix {

class ContentModel;

// The two HTML forms of a content: the export, a body fragment sent to the server with the
// upload whose photos are addresses on the image server, and the preview, a whole page written
// to "prevview.html" in the working folder whose photos are files on this computer. Both give
// every photo its server name "<file name><position>.jpg"; the export also numbers the blocks.
//
// What the member typed never acts as HTML and never splits the form body that carries the
// export: in texts and file names "<" becomes "[", ">" becomes "]" and "&" a blank (CR LF
// still becomes "<br>"); in links and addresses, which stand inside attributes, quotes, "<",
// ">", "&", blanks and control characters are percent-encoded. Both forms apply the same
// rules, so the preview shows what readers of the page will see.
class HtmlWriter {
public:
    struct Hosts {
        QString serverAddress;      // host of the document icon
        QString imageServerAddress; // host of the photos
    };

    // The export fragment. Sets every photo's name and every block's index; the caller stores
    // the HTML, the title and the block count.
    static QString exportFragment(ContentModel& model, const Hosts& hosts);

    // The preview page. Sets every photo's name; indexes stay as they were.
    static QString previewPage(ContentModel& model, const Hosts& hosts);

    // The first lines of every preview page, up to and including "<BODY>", and its end.
    static QString previewHead();
    static QString previewTail() { return QStringLiteral("</body></html>"); }

    // Writes a preview page whole or not at all, each line feed as CR LF, in UTF-8 (the
    // charset the page declares); false when it cannot be written.
    static bool writePreviewFile(const QString& path, const QString& page);

    // Free text for a page: "<" → "[", ">" → "]", "&" → blank, then CR LF → "<br>".
    static QString text(const QString& value);
    // A link or an address for an attribute: quotes, "<", ">", "&", blanks and control
    // characters percent-encoded.
    static QString address(const QString& value);
    // A local file as an address for an attribute: as address(), and "%", "#" and "?" too,
    // which would otherwise be read as escapes, a fragment or a query.
    static QString localFile(const QString& path);
};

} // namespace orvix
