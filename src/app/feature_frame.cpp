#include "app/feature_frame.h"

namespace orvix {

FeatureFrame::FeatureFrame(COrvixWinApp::Window which, Caption caption, const QString& title,
                           const QRect& geometry, QWidget* parent)
    : FrameWindow(caption, parent) {
    setWindowTitle(title);
    placeAt(geometry.x(), geometry.y(), geometry.width(), geometry.height());
    COrvixWinApp::current().registerWindow(which, this);
}

} // namespace orvix
