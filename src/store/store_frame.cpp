#include "store/store_frame.h"

#include "app/orvix_win_app.h"

namespace orvix {

CStoreFrame::CStoreFrame(QWidget* parent)
    : FrameWindow(Caption::WithSystemMenu, parent) {
    placeAt(centredLeft(800), 180, 700, 600);
    if (auto* app = COrvixWinApp::instance())
        app->registerWindow(COrvixWinApp::Window::StoreFrame, this);
}

} // namespace orvix
