#include "chat/chat_frame.h"

#include "app/orvix_win_app.h"

namespace orvix {

CChatFrame::CChatFrame(QWidget* parent)
    : FrameWindow(Caption::WithoutSystemMenu, parent) {
    placeAt(centredLeft(800), 200, 800, 450);
    if (auto* app = COrvixWinApp::instance())
        app->registerWindow(COrvixWinApp::Window::ChatFrame, this);
}

} // namespace orvix
