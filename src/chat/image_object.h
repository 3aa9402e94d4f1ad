#pragma once

#include "chat/text_object.h"

#include <memory>

namespace orvix {

class CDibPicture;

// A photo bubble: a text bubble that shows a thumbnail instead of lines. The wrap width is the
// shown width of the picture and the height its shown height; the text stays empty.
class CImageObject : public CTextObject {
public:
    CImageObject();
    ~CImageObject();
    CImageObject(const CImageObject&) = delete;
    CImageObject& operator=(const CImageObject&) = delete;

    // Splits names at "|" into the thumbnail's and the photo's file names (the second empty
    // without "|") and loads the thumbnail from the folder. The shown height follows from the
    // shown width: truncate((W ÷ stored width, in single precision) × height). A thumbnail that
    // cannot be loaded, or whose name is not a plain file name, gives no picture and height 0:
    // the bubble is drawn empty.
    void Set(int shownWidth, const QString& names, const QString& folder);

    // Draws the bubble and the thumbnail stretched to W × H at (x + 2M, y + M); side 2 puts the
    // tail on the left edge, any other side on the right edge. Photo bubbles keep their fill
    // colour on both sides.
    void Draw(QPainter& painter, int x, int y, int side) const;

    const CDibPicture* picture() const { return m_picture.get(); }
    int pictureWidth() const { return m_pictureWidth; }
    int pictureHeight() const { return m_pictureHeight; }
    const QString& firstName() const { return m_firstName; }
    const QString& secondName() const { return m_secondName; }

    // The shown height of a picture of storedWidth × height at a shown width.
    static int shownHeight(int shownWidth, int storedWidth, int height);

private:
    std::unique_ptr<CDibPicture> m_picture;
    int m_pictureWidth = 0;
    int m_pictureHeight = 0;
    QString m_firstName;
    QString m_secondName;
};

} // namespace orvix
