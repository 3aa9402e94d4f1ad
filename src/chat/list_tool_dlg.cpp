#include "chat/list_tool_dlg.h"

#include <QPainter>

namespace orvix {

DialogTemplate CListToolDlg::dialogTemplate() {
    DialogTemplate dialog;
    dialog.resourceId = ResourceId;
    dialog.size = QSize(240, 89);
    dialog.fontFace = QStringLiteral("MS Shell Dlg");
    dialog.pointSize = 8;
    dialog.controls = {
        {1, ControlKind::DefaultButton, QRect(183, 7, 50, 14), QStringLiteral("확인")},
        {2, ControlKind::Button, QRect(183, 24, 50, 14), QStringLiteral("취소")},
    };
    return dialog;
}

CListToolDlg::CListToolDlg(QWidget* listView)
    : TemplateDialog(dialogTemplate(), nullptr) {
    Q_UNUSED(listView);
    setWindowFlags(Qt::Tool | Qt::FramelessWindowHint);
    setMinimumSize(0, 0);
    setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
    hide();
}

void CListToolDlg::paintEvent(QPaintEvent* event) {
    TemplateDialog::paintEvent(event);
    QPainter painter(this);
    painter.setPen(QColor(127, 127, 127));
    painter.drawRect(rect().adjusted(0, 0, -1, -1));
}

} // namespace orvix
