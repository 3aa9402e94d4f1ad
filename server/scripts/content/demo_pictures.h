#pragma once

#include <QByteArray>
#include <QImage>

namespace orvix::server {

// The pictures and the document of the demo contents, drawn here at run time.
class DemoPictures {
public:
    // Hills under a morning sky, 540 × 360.
    static QImage landscape();
    // A cup of coffee on a table, 540 × 300.
    static QImage coffee();
    // A one-page PDF guide to the content editor.
    static QByteArray guidePdf();
};

} // namespace orvix::server
