#include "editor/content_frame.h"

#include "app/ui_text.h"

namespace orvix {

CContentFrame::CContentFrame(QWidget* parent)
    : FeatureFrame(COrvixWinApp::Window::ContentFrame, Caption::WithoutSystemMenu,
                   uiText(UiRow::ContentEditor, COrvixWinApp::current().session().country),
                   QRect(centredLeft(800), 200, 580, 600), parent) {}

} // namespace orvix
