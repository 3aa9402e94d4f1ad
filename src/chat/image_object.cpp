#include "chat/image_object.h"

#include "chat/local_file_name.h"
#include "imaging/dib_picture.h"

#include <QPainter>

namespace orvix {

CImageObject::CImageObject() = default;
CImageObject::~CImageObject() = default;

int CImageObject::shownHeight(int shownWidth, int storedWidth, int height) {
    if (storedWidth <= 0 || height <= 0)
        return 0;
    const float factor = float(double(shownWidth) / double(storedWidth));
    return int(factor * float(height));
}

void CImageObject::Set(int shownWidth, const QString& names, const QString& folder) {
    const qsizetype bar = names.indexOf(u'|');
    m_firstName = bar < 0 ? names : names.left(bar);
    m_secondName = bar < 0 ? QString() : names.mid(bar + 1);
    m_wrapWidth = shownWidth;
    m_height = 0;
    m_pictureWidth = 0;
    m_pictureHeight = 0;
    m_picture.reset();

    const QString path = LocalFileName::pathIn(folder, m_firstName);
    if (path.isEmpty())
        return;
    auto picture = std::make_unique<CDibPicture>();
    if (!picture->Load(path))
        return;
    m_pictureWidth = picture->storedWidth();
    m_pictureHeight = picture->height();
    m_height = shownHeight(shownWidth, m_pictureWidth, m_pictureHeight);
    m_picture = std::move(picture);
}

void CImageObject::Draw(QPainter& painter, int x, int y, int side) const {
    painter.save();
    drawBubble(painter, x, y);
    if (m_picture)
        m_picture->Draw(painter, x + 2 * m_innerMargin, y + m_innerMargin, m_wrapWidth, m_height);
    if (side == 2)
        drawTail(painter, x, y, false, m_fill, m_border);
    else
        drawTail(painter, x + bubbleWidth(), y, true, m_fill, m_border);
    painter.restore();
}

} // namespace orvix
