#pragma once

#include "app/feature_frame.h"

namespace orvix {

class CImageView;

// The photo viewer's window. It sizes itself to the photo it shows; closing it only hides it.
// Until a photo is shown it keeps a modest default size, centred.
class CImageFrame : public FeatureFrame {
    Q_OBJECT
public:
    explicit CImageFrame(QWidget* parent = nullptr);

    CImageView* view() const { return m_view; }

    // Shows a photo file at its own size: the window takes min(width + 30, 800) ×
    // min(height + 30, 600) (the photo's stored width and height), centred on the screen, with
    // scroll bars when the photo is larger. A file that cannot be loaded leaves the viewer as it
    // was, shown or not, and gives false.
    bool ShowPhoto(const QString& path);

    // The window size for a photo of storedWidth × height.
    static QSize sizeFor(int storedWidth, int height);

private:
    CImageView* m_view;
};

} // namespace orvix
