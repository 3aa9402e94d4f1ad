#pragma once

#include "imaging/dib_picture.h"

#include <QImage>
#include <QString>

#include <memory>

namespace orvix {

// One post of the post list as it is drawn: its photo (or the default picture), the "New"
// badge when the post is new, and its three lines of text. Rows are built from a reply and
// never changed afterwards.
struct CPostRow {
    std::unique_ptr<CDibPicture> photo; // empty when the post has no photo or it did not load
    QImage defaultPhoto;                // picture 167, set when there is no photo
    QImage badge;                       // picture 198, set when the post is new
    QString title;
    QString ownerName;
    QString memberCount;
    QString opinionCount;
    QString mailIndex;
    QString badgeFlag = QStringLiteral("0"); // "1" when the badge is drawn
    int photoWidth = 0;
    int photoHeight = 0;
};

} // namespace orvix
