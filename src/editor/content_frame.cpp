#include "editor/content_frame.h"

namespace orvix {

CContentFrame::CContentFrame(QWidget* parent)
    : FeatureFrame(COrvixWinApp::Window::ContentFrame, Caption::WithoutSystemMenu,
                   QRect(centredLeft(800), 200, 580, 600), parent) {}

} // namespace orvix
