#pragma once

#include <QAbstractButton>
#include <QImage>

namespace orvix {

// A button drawn as one compiled-in picture, the same in every state, and exactly as large as
// the picture. While it is held down the picture shifts by one pixel, so a click is seen.
class PictureButton : public QAbstractButton {
    Q_OBJECT
public:
    PictureButton(int id, int bitmap, QWidget* parent = nullptr);

    int bitmap() const { return m_bitmap; }
    QSize sizeHint() const override { return m_picture.size(); }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    int m_bitmap;
    QImage m_picture;
};

} // namespace orvix
