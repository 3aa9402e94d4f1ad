#include "editor/picture_button.h"

#include "platform/dialog_template.h"
#include "platform/resources.h"

#include <QPainter>

namespace orvix {

PictureButton::PictureButton(int id, int bitmapId, QWidget* parent)
    : QAbstractButton(parent)
    , m_bitmap(bitmapId)
    , m_picture(res::bitmap(bitmapId)) {
    setObjectName(controlName(id));
    setProperty("controlId", id);
    setFixedSize(m_picture.isNull() ? QSize(40, 40) : m_picture.size());
    setCursor(Qt::PointingHandCursor);
    setFocusPolicy(Qt::NoFocus);
}

void PictureButton::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    const int shift = isDown() ? 1 : 0;
    painter.drawImage(shift, shift, m_picture);
}

} // namespace orvix
