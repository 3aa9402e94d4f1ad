#include "board/orvix_list_frame.h"

namespace orvix {

COrvixListFrame::COrvixListFrame(QWidget* parent)
    : FeatureFrame(COrvixWinApp::Window::PostListFrame, Caption::WithoutSystemMenu,
                   QRect(centredLeft(800), 200, 470, 600), parent) {}

} // namespace orvix
