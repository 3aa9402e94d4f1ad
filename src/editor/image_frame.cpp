#include "editor/image_frame.h"

#include "app/orvix_win_app.h"

namespace orvix {

CImageFrame::CImageFrame(QWidget* parent)
    : FrameWindow(Caption::WithSystemMenu, parent) {
    // Until a photo is shown the viewer keeps a modest default size, centred.
    constexpr int width = 400;
    constexpr int height = 300;
    placeAt(centredLeft(width), 200, width, height);
    if (auto* app = COrvixWinApp::instance())
        app->registerWindow(COrvixWinApp::Window::ImageFrame, this);
}

} // namespace orvix
