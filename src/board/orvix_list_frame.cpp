#include "board/orvix_list_frame.h"

#include "app/ui_text.h"

namespace orvix {

COrvixListFrame::COrvixListFrame(QWidget* parent)
    : FeatureFrame(COrvixWinApp::Window::PostListFrame, Caption::WithoutSystemMenu,
                   uiText(UiRow::Square, COrvixWinApp::current().session().country),
                   QRect(centredLeft(800), 200, 470, 600), parent) {}

} // namespace orvix
