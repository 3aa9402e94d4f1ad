#include "app/about_dlg.h"

#include "platform/resources.h"

#include <QLabel>

namespace orvix {

namespace {

constexpr int kOkId = 1;
constexpr int kIconPixels = 32;

} // namespace

DialogTemplate CAboutDlg::dialogTemplate() {
    DialogTemplate dialog;
    dialog.resourceId = ResourceId;
    dialog.caption = QStringLiteral("OrvixWin 정보");
    dialog.size = QSize(235, 55);
    dialog.fontFace = DialogTemplate::ShellFace;
    dialog.pointSize = DialogTemplate::ShellPointSize;
    dialog.controls = {
        {IconId, ControlKind::Static, QRect(11, 14, 21, 20), {}},
        {VersionTextId, ControlKind::Static, QRect(40, 10, 119, 8),
         QStringLiteral("Orvix 윈도우 버전 0.5")},
        {NoticeTextId, ControlKind::Static, QRect(40, 25, 119, 8),
         QStringLiteral("Copyright © 2026 Orvix")},
        {kOkId, ControlKind::DefaultButton, QRect(178, 7, 50, 16), QStringLiteral("확인")},
    };
    return dialog;
}

CAboutDlg::CAboutDlg(QWidget* parent)
    : TemplateDialog(dialogTemplate(), parent) {
    const QIcon icon = res::icon(res::ProgramIcon);
    setWindowIcon(icon);
    if (auto* picture = control<QLabel>(IconId)) {
        picture->setPixmap(icon.pixmap(kIconPixels, kIconPixels));
        picture->resize(kIconPixels, kIconPixels);
    }
}

} // namespace orvix
