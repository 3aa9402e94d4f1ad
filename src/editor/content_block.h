#pragma once

#include "editor/content_doc.h"
#include "editor/content_photo.h"
#include "editor/content_text.h"

#include <QString>

#include <memory>

namespace orvix {

// One block of a content: styled text, a photo or a document link, with its position, its web
// link and whether it is the selected block.
class CContentBlock {
public:
    enum Kind { Text = 1, Photo = 2, Document = 3 };

    explicit CContentBlock(Kind kind);

    int index = 0;
    QString link; // empty when none
    int kind;
    bool selected = false;
    std::unique_ptr<CContentText> text;    // kind 1
    std::unique_ptr<CContentPhoto> photo;  // kind 2
    std::unique_ptr<CContentDoc> document; // kind 3

    // The height used for hit testing and the scroll extent: a text's laid-out height, a
    // photo's height at full width (whatever its width percent), a document's icon height.
    int listHeight() const;
    // The alignment of whichever content the block holds.
    int alignment() const;
    void setAlignment(int alignment);
};

} // namespace orvix
