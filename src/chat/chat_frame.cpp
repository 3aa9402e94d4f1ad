#include "chat/chat_frame.h"

namespace orvix {

CChatFrame::CChatFrame(QWidget* parent)
    : FeatureFrame(COrvixWinApp::Window::ChatFrame, Caption::WithoutSystemMenu, QString(),
                   QRect(centredLeft(800), 200, 800, 450), parent) {}

} // namespace orvix
