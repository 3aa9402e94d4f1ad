#pragma once

#include <QByteArray>
#include <QImage>

namespace orvix::server {

// The pictures of the contents, drawn here at run time: the demo contents' photos and
// document, and the icon that the contents' HTML shows beside a document.
class DemoPictures {
public:
    // A page with lines of text, 24 × 24.
    static QImage documentIcon();
    // Hills under a morning sky, 540 × 360.
    static QImage landscape();
    // A cup of coffee on a table, 540 × 300.
    static QImage coffee();
    // A one-page PDF guide to the content editor.
    static QByteArray guidePdf();
};

} // namespace orvix::server
