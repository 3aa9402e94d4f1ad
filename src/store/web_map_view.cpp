#include "store/web_map_view.h"

#include "app/explorer.h"
#include "app/orvix_win_app.h"

namespace orvix {

DialogTemplate CWebMapView::dialogTemplate() {
    DialogTemplate dialog;
    dialog.resourceId = ResourceId;
    dialog.caption = QStringLiteral("Orvix");
    dialog.size = QSize(408, 361);
    dialog.fontFace = QStringLiteral("굴림체");
    dialog.pointSize = 9;
    dialog.controls = {
        {BrowserId, ControlKind::Browser, QRect(2, 2, 401, 327), {}},
        {1, ControlKind::DefaultButton, QRect(290, 338, 50, 16), QStringLiteral("확인")},
        {2, ControlKind::Button, QRect(350, 338, 50, 16), QStringLiteral("취소")},
    };
    return dialog;
}

QString CWebMapView::pageAddress(const QString& webHost, const QString& deviceId,
                                 const QString& storeIndex) {
    return QStringLiteral("http://%1/android/orseekaddress_cn_window.php?deviceid=%2&idx=%3")
        .arg(webHost, deviceId, storeIndex);
}

CWebMapView::CWebMapView(const QString& storeIndex, QWidget* parent)
    : TemplateDialog(dialogTemplate(), parent)
    , m_storeIndex(storeIndex)
    , m_explorer(CExplorer::fill(this, BrowserId)) {
    const COrvixWinApp& app = COrvixWinApp::current();
    m_explorer->Navigate(
        pageAddress(app.configuration().webHost, app.session().deviceId, m_storeIndex));
}

} // namespace orvix
