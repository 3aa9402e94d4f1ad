#include "docs/my_document_dlg.h"

#include "app/explorer.h"
#include "app/orvix_win_app.h"
#include "docs/document_dlg.h"
#include "platform/ui_services.h"

#include <QPushButton>

namespace orvix {

DialogTemplate CMyDocumentDlg::dialogTemplate() {
    DialogTemplate dialog;
    dialog.resourceId = ResourceId;
    dialog.caption = QStringLiteral("도큐먼트");
    dialog.size = QSize(321, 334);
    dialog.fontFace = QStringLiteral("굴림체");
    dialog.pointSize = 9;
    using K = ControlKind;
    dialog.controls = {
        {BrowserId, K::Browser, QRect(7, 28, 307, 299), {}},
        {RegisterButton, K::Button, QRect(61, 7, 50, 14), QStringLiteral("등록")},
        {NewestFirstButton, K::Button, QRect(130, 7, 50, 14), QStringLiteral("최근순")},
        {RegistrationOrderButton, K::Button, QRect(193, 7, 50, 14), QStringLiteral("등록순")},
        {ReloadButton, K::Button, QRect(264, 7, 50, 14), QStringLiteral("새로고침")},
    };
    return dialog;
}

QString CMyDocumentDlg::listAddress(const QString& webHost, const QString& deviceId, int order) {
    return QStringLiteral("http://%1/android/pcdocument.php?deviceid=%2&order=%3")
        .arg(webHost, deviceId)
        .arg(order);
}

CMyDocumentDlg::CMyDocumentDlg(QWidget* parent)
    : TemplateDialog(dialogTemplate(), parent)
    , m_explorer(CExplorer::fill(this, BrowserId)) {
    const std::pair<int, void (CMyDocumentDlg::*)()> buttons[] = {
        {RegisterButton, &CMyDocumentDlg::OnRegister},
        {NewestFirstButton, &CMyDocumentDlg::OnNewestFirst},
        {RegistrationOrderButton, &CMyDocumentDlg::OnRegistrationOrder},
        {ReloadButton, &CMyDocumentDlg::OnReload},
    };
    for (const auto& [id, handler] : buttons)
        connect(control<QPushButton>(id), &QPushButton::clicked, this, handler);
    m_order = RegistrationOrder;
    ShowList();
}

void CMyDocumentDlg::ShowList() {
    const COrvixWinApp& app = COrvixWinApp::current();
    m_explorer->Navigate(listAddress(app.configuration().webHost, app.session().deviceId, m_order));
}

void CMyDocumentDlg::OnRegister() {
    CDocumentDlg dialog(this);
    if (COrvixWinApp::current().ui().runModal(dialog) == DialogResult::Ok)
        ShowList();
}

void CMyDocumentDlg::OnNewestFirst() {
    m_order = NewestFirst;
    ShowList();
}

void CMyDocumentDlg::OnRegistrationOrder() {
    m_order = RegistrationOrder;
    ShowList();
}

void CMyDocumentDlg::OnReload() {
    ShowList();
}

} // namespace orvix
