#include "board/orvix_frame.h"

namespace orvix {

COrvixFrame::COrvixFrame(QWidget* parent)
    : FeatureFrame(COrvixWinApp::Window::PostFrame, Caption::WithSystemMenu,
                   QRect(centredLeft(800), 180, 700, 600), parent) {}

} // namespace orvix
