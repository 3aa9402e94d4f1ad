#include "editor/content_frame.h"

#include "app/orvix_win_app.h"

namespace orvix {

CContentFrame::CContentFrame(QWidget* parent)
    : FrameWindow(Caption::WithoutSystemMenu, parent) {
    placeAt(centredLeft(800), 200, 580, 600);
    if (auto* app = COrvixWinApp::instance())
        app->registerWindow(COrvixWinApp::Window::ContentFrame, this);
}

} // namespace orvix
