#include "editor/image_size_dlg.h"

#include "app/local_text.h"
#include "app/orvix_win_app.h"
#include "platform/ui_services.h"

#include <QLineEdit>

namespace orvix {

namespace {

constexpr LocalText kNotANumber{u"부호 없는 정수를 입력하십시오.", u"请输入无符号整数。",
                                u"Please enter an unsigned integer."};

} // namespace

DialogTemplate CImageSizeDlg::dialogTemplate() {
    DialogTemplate dialog;
    dialog.resourceId = ResourceId;
    dialog.caption = QStringLiteral("영상크기 설정");
    dialog.size = QSize(186, 62);
    dialog.fontFace = QStringLiteral("굴림체");
    dialog.pointSize = 9;
    dialog.controls = {
        {-1, ControlKind::Static, QRect(7, 9, 110, 8),
         QStringLiteral("화면 가로 크기 기준 입니다. ")},
        {ValueId, ControlKind::Edit, QRect(118, 7, 44, 14), QString()},
        {-1, ControlKind::Static, QRect(166, 9, 12, 8), QStringLiteral("%")},
        {1, ControlKind::DefaultButton, QRect(36, 38, 50, 14), QStringLiteral("확인")},
        {2, ControlKind::Button, QRect(100, 38, 50, 14), QStringLiteral("취소")},
    };
    return dialog;
}

CImageSizeDlg::CImageSizeDlg(QWidget* parent)
    : TemplateDialog(dialogTemplate(), parent) {}

void CImageSizeDlg::setValue(quint32 newValue) {
    m_value = newValue;
    control<QLineEdit>(ValueId)->setText(QString::number(newValue));
}

std::optional<quint32> CImageSizeDlg::parse(const QString& text) {
    const QString digits = text.trimmed();
    if (digits.isEmpty() || digits.size() > 10)
        return std::nullopt;
    quint64 number = 0;
    for (QChar c : digits) {
        if (c < u'0' || c > u'9')
            return std::nullopt;
        number = number * 10 + quint64(c.unicode() - u'0');
    }
    if (number > 0xffffffffu)
        return std::nullopt;
    return quint32(number);
}

void CImageSizeDlg::onOk() {
    const auto number = parse(control<QLineEdit>(ValueId)->text());
    if (!number) {
        COrvixWinApp& app = COrvixWinApp::current();
        app.ui().messageBox(this, COrvixWinApp::ApplicationTitle,
                            kNotANumber.pick(app.session().country));
        control<QLineEdit>(ValueId)->setFocus();
        return;
    }
    m_value = *number;
    endDialog(1);
}

} // namespace orvix
