#include "editor/image_frame.h"

namespace orvix {

CImageFrame::CImageFrame(QWidget* parent)
    : FeatureFrame(COrvixWinApp::Window::ImageFrame, Caption::WithSystemMenu,
                   QStringLiteral("사진보기"), QRect(centredLeft(400), 200, 400, 300), parent) {}

} // namespace orvix
