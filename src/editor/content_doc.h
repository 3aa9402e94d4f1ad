#pragma once

#include <QString>

namespace orvix {

// A document block: a link to a document in the service's document store, shown as its file
// name beside the document icon.
class CContentDoc {
public:
    static constexpr int FullWidth = 540;
    static constexpr int BaseFontSize = 24;
    static constexpr int IconSize = 70;

    QString fileName; // without folder; shown as the block's text
    QString address;  // web address of the uploaded document
    QString extension;
    QString comment;
    int width = FullWidth;
    int sizePercent = 100;
    int alignment = 0;
    int baseFontSize = BaseFontSize;
    int iconWidth = IconSize;
    int iconHeight = IconSize; // also the block's height in the list

    // The font size at the block's scale: (size percent ÷ 100, in single precision) × the base
    // font size, truncated. Also what the file and the HTML give as the size.
    int scaledFontSize() const { return scaled(baseFontSize); }
    // A length at the block's scale, truncated the same way.
    int scaled(int length) const;
};

} // namespace orvix
