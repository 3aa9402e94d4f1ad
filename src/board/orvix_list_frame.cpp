#include "board/orvix_list_frame.h"

#include "app/orvix_win_app.h"

namespace orvix {

COrvixListFrame::COrvixListFrame(QWidget* parent)
    : FrameWindow(Caption::WithoutSystemMenu, parent) {
    placeAt(centredLeft(800), 200, 470, 600);
    if (auto* app = COrvixWinApp::instance())
        app->registerWindow(COrvixWinApp::Window::PostListFrame, this);
}

} // namespace orvix
