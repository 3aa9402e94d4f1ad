#include "editor/new_file_dlg.h"

namespace orvix {

DialogTemplate CNewFileDlg::dialogTemplate() {
    DialogTemplate dialog;
    dialog.resourceId = ResourceId;
    dialog.caption = QStringLiteral("새파일 만들기");
    dialog.size = QSize(170, 56);
    dialog.fontFace = QStringLiteral("굴림체");
    dialog.pointSize = 9;
    dialog.controls = {
        {-1, ControlKind::Static, QRect(7, 10, 156, 8),
         QStringLiteral("수정된 콘텐트가 있습니다. ")},
        {1, ControlKind::DefaultButton, QRect(22, 34, 56, 14), QStringLiteral("새로만들기")},
        {2, ControlKind::Button, QRect(92, 34, 56, 14), QStringLiteral("취소")},
    };
    return dialog;
}

CNewFileDlg::CNewFileDlg(QWidget* parent)
    : TemplateDialog(dialogTemplate(), parent) {}

} // namespace orvix
