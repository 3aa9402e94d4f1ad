#include "app/feature_frame.h"

namespace orvix {

FeatureFrame::FeatureFrame(COrvixWinApp::Window which, Caption caption, const QRect& geometry,
                           QWidget* parent)
    : FrameWindow(caption, parent) {
    placeAt(geometry.x(), geometry.y(), geometry.width(), geometry.height());
    if (auto* app = COrvixWinApp::instance())
        app->registerWindow(which, this);
}

} // namespace orvix
