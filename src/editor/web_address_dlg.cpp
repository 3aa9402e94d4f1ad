#include "editor/web_address_dlg.h"

#include <QLineEdit>

namespace orvix {

DialogTemplate CWebAddressDlg::dialogTemplate() {
    DialogTemplate dialog;
    dialog.resourceId = ResourceId;
    dialog.caption = QStringLiteral("웹 연결");
    dialog.size = QSize(230, 66);
    dialog.fontFace = QStringLiteral("굴림체");
    dialog.pointSize = 9;
    dialog.controls = {
        {-1, ControlKind::Static, QRect(7, 7, 216, 8),
         QStringLiteral("웹 연결 http:// 을 써주세요.")},
        {AddressId, ControlKind::Edit, QRect(7, 20, 216, 14), QString()},
        {1, ControlKind::DefaultButton, QRect(52, 44, 50, 14), QStringLiteral("확인")},
        {2, ControlKind::Button, QRect(128, 44, 50, 14), QStringLiteral("취소")},
    };
    return dialog;
}

CWebAddressDlg::CWebAddressDlg(QWidget* parent)
    : TemplateDialog(dialogTemplate(), parent) {}

void CWebAddressDlg::onOk() {
    m_address = control<QLineEdit>(AddressId)->text();
    endDialog(1);
}

} // namespace orvix
