#include "board/orvix_list_frame.h"

#include "app/ui_text.h"
#include "board/orvix_list_view.h"

namespace orvix {

COrvixListFrame::COrvixListFrame(QWidget* parent)
    : FeatureFrame(COrvixWinApp::Window::PostListFrame, Caption::WithoutSystemMenu,
                   uiText(UiRow::Square, COrvixWinApp::current().session().country),
                   QRect(centredLeft(800), 200, 470, 600), parent)
    , m_view(new COrvixListView(this)) {
    setCentralWidget(m_view);
    m_view->OnInitialUpdate();
}

} // namespace orvix
