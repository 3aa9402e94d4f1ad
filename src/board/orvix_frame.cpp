#include "board/orvix_frame.h"

#include "app/ui_text.h"

namespace orvix {

COrvixFrame::COrvixFrame(QWidget* parent)
    : FeatureFrame(COrvixWinApp::Window::PostFrame, Caption::WithSystemMenu,
                   uiText(UiRow::Square, COrvixWinApp::current().session().country),
                   QRect(centredLeft(800), 180, 700, 600), parent) {}

} // namespace orvix
