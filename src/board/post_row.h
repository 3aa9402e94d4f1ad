#pragma once

#include <QImage>
#include <QString>

namespace orvix {

// One post of the post list as it is drawn: its photo (or the default picture), the "New"
// badge when the post is new, and its three lines of text. Rows are built from a reply and
// never changed afterwards, except that a row's photo is decoded the first time it is needed.
struct CPostRow {
    // The photo's file in the working folder; empty when the post has none (or no safe name).
    QString photoPath;
    // Whether the photo file has been decoded (or found not to decode).
    bool photoLoaded = false;
    // The photo as it is drawn into the 100 × 80 photo box: the whole photo stretched into it,
    // taking the nearest pixel. Empty when there is no photo or it did not load.
    QImage photo;
    QImage defaultPhoto; // picture 167, set when there is no photo
    QImage badge;        // picture 198, set when the post is new
    QString title;
    QString ownerName;
    QString memberCount;
    QString opinionCount;
    QString mailIndex;
    QString badgeFlag = QStringLiteral("0"); // "1" when the badge is drawn
    int photoWidth = 0;                      // stored width of the decoded photo
    int photoHeight = 0;
};

} // namespace orvix
