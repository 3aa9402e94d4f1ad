#include "editor/content_block.h"

namespace orvix {

CContentBlock::CContentBlock(Kind blockKind)
    : kind(blockKind) {
    switch (blockKind) {
    case Text:
        text = std::make_unique<CContentText>();
        break;
    case Photo:
        photo = std::make_unique<CContentPhoto>();
        break;
    case Document:
        document = std::make_unique<CContentDoc>();
        break;
    }
}

int CContentBlock::listHeight() const {
    if (text)
        return text->height;
    if (photo)
        return photo->height;
    if (document)
        return document->iconHeight;
    return 0;
}

int CContentBlock::alignment() const {
    if (text)
        return text->alignment;
    if (photo)
        return photo->alignment;
    if (document)
        return document->alignment;
    return 0;
}

void CContentBlock::setAlignment(int value) {
    if (text)
        text->alignment = value;
    else if (photo)
        photo->alignment = value;
    else if (document)
        document->alignment = value;
}

} // namespace orvix
