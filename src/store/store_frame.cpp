#include "store/store_frame.h"

namespace orvix {

CStoreFrame::CStoreFrame(QWidget* parent)
    : FeatureFrame(COrvixWinApp::Window::StoreFrame, Caption::WithSystemMenu, QString(),
                   QRect(centredLeft(800), 180, 700, 600), parent) {}

} // namespace orvix
