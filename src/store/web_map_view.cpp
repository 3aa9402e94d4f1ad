#include "store/web_map_view.h"

#include "app/orvix_win_app.h"
#include "platform/browser_control.h"

#include <QVBoxLayout>

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
    , m_storeIndex(storeIndex) {
    COrvixWinApp& app = COrvixWinApp::current();
    QWidget* host = control<QWidget>(BrowserId);
    m_browser = app.createBrowser(host);
    if (m_browser && host) {
        auto* layout = new QVBoxLayout(host);
        layout->setContentsMargins(0, 0, 0, 0);
        layout->addWidget(m_browser->widget());
        QString webHost = qEnvironmentVariable("ORVIX_WEB_HOST");
        if (webHost.isEmpty())
            webHost = QStringLiteral("127.0.0.1:8080");
        m_browser->navigate(pageAddress(webHost, app.session().deviceId, m_storeIndex));
    }
}

CWebMapView::~CWebMapView() = default;

} // namespace orvix
