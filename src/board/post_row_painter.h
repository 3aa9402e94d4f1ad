#pragma once

#include <QString>

class QPainter;

namespace orvix {

struct CPostRow;

// Draws one row of the post list at its top y in document coordinates: the grey top band
// (0, y)–(450, y + 10), the photo box (5, y + 10) of 100 × 80 (the photo stretched into it, or
// the top-left 100 × 80 pixels of the default picture), the "New" badge over the photo's corner,
// three lines of text from x = 120 (title; owner; members and opinions, each clipped to 20
// pixels of height) and the bottom band (0, y + 90)–(450, y + 100).
class PostRowPainter {
public:
    // The labels of the third and second lines in one language.
    struct Labels {
        QString owner;
        QString member;
        QString memberUnit;
        QString opinion;
        QString opinionUnit;

        // The labels for a country code (0 Korea, 1 China, 2 any other country).
        static Labels forCountry(int country);
    };

    static void draw(QPainter& painter, const CPostRow& row, int top, const Labels& labels);

    static QString ownerLine(const CPostRow& row, const Labels& labels);
    static QString countLine(const CPostRow& row, const Labels& labels);
};

} // namespace orvix
