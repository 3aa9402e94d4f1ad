#pragma once

#include <QByteArray>
#include <QColor>
#include <QString>

namespace orvix {

// The opinion as the opinion dialog saves and sends it: two files in the working folder and an
// HTML paragraph.
//
// The text is taken as the text box gives it, lines separated by CR LF. Both files are UTF-8
// without a byte-order mark, written in text mode: every line feed goes out as CR LF, so a line
// break of the text arrives as CR CR LF.
// - "<name>.tml": one record "italic</>bold</>alignment</>text colour</>background
//   colour</>size</>text", flags 1 or 0, colours as red + 256 × green + 65536 × blue, the text
//   with "<" turned into "[" and ">" into "]";
// - "<name>.txt": the same text alone.
// The paragraph: <p style='font-size:…px;background-color:#rrggbb;color:#rrggbb;text-align:…;
// font-style:…;font-weight:…;'>text</p> with the same text. It travels in a form body, so an
// "&" of the text becomes a blank there (and in the preview, which shows what readers see).
class OpinionText {
public:
    struct Style {
        QColor background = Qt::white;
        QColor text = Qt::black;
        bool bold = false;
        bool italic = false;
        int sizePosition = 8;  // of the entries "8" to "32"; -1 when typed text selects none
        int alignPosition = 0; // of left, centre, right; -1 when typed text selects none
    };

    static int size(const Style& style) { return style.sizePosition + 8; }
    static QString alignmentWord(int position);
    static QString hexColour(const QColor& colour); // "rrggbb", lower case
    static int colourNumber(const QColor& colour);  // red + 256 × green + 65536 × blue

    // "<" → "[", ">" → "]".
    static QString neutralised(const QString& text);

    static QByteArray tmlRecord(const QString& text, const Style& style);
    static QByteArray txtContent(const QString& text);
    // The paragraph that is registered with the opinion (line breaks left as they are).
    static QString paragraph(const QString& text, const Style& style);
    // The paragraph of the preview: line breaks as <br>.
    static QString previewParagraph(const QString& text, const Style& style);

    // Writes "<name>.tml" and, only when that worked, "<name>.txt" in the folder, each whole
    // or not at all. False when the ".tml" could not be written (then neither is).
    static bool writeFiles(const QString& folder, const QString& name, const QString& text,
                           const Style& style);

    // Text mode: each line feed written as CR LF.
    static QByteArray textMode(const QString& text);
};

} // namespace orvix
