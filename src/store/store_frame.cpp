#include "store/store_frame.h"

#include "app/ui_text.h"
#include "store/store_add_view.h"

namespace orvix {

CStoreFrame::CStoreFrame(QWidget* parent)
    : FeatureFrame(COrvixWinApp::Window::StoreFrame, Caption::WithSystemMenu,
                   uiText(UiRow::AddStore, StoreTextColumn), QRect(centredLeft(800), 180, 700, 600),
                   parent)
    , m_view(new CStoreAddView(this)) {
    setCentralWidget(m_view);
    m_view->OnInitialUpdate();
}

} // namespace orvix
