#pragma once

#include <QAbstractScrollArea>
#include <QSize>

#include <memory>

namespace orvix {

class CDibPicture;

// The photo viewer's view: one photo at its own size, top-left, with scroll bars when it is
// larger than the view. Until a photo is shown the scroll extent is 100 × 100 and nothing is
// drawn.
class CImageView : public QAbstractScrollArea {
    Q_OBJECT
public:
    explicit CImageView(QWidget* parent = nullptr);
    ~CImageView() override;

    // Loads a photo file and shows it; the scroll extent becomes its stored width × height.
    // A file that cannot be loaded leaves the view as it was and gives false.
    bool LoadPhoto(const QString& path);

    const CDibPicture* picture() const { return m_picture.get(); }
    QSize scrollExtent() const { return m_extent; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void updateScrollBars();

    std::unique_ptr<CDibPicture> m_picture;
    QSize m_extent{100, 100};
};

} // namespace orvix
