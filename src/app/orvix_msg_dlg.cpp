#include "app/orvix_msg_dlg.h"

#include "app/orvix_win_app.h"
#include "app/ui_text.h"

#include <QPlainTextEdit>
#include <QPushButton>

namespace orvix {

namespace {

constexpr int kOkId = 1;
constexpr int kCancelId = 2;
const QString kDefaultFace = QStringLiteral("돋움체");

// The face of the store text column in the session's font table.
QString noticeFace() {
    const QString face = COrvixWinApp::current().session().fontTable.value(StoreTextColumn);
    return face.isEmpty() ? kDefaultFace : face;
}

} // namespace

DialogTemplate COrvixMsgDlg::dialogTemplate() {
    DialogTemplate dialog;
    dialog.resourceId = ResourceId;
    dialog.size = QSize(222, 88);
    dialog.fontFace = DialogTemplate::ShellFace;
    dialog.pointSize = DialogTemplate::ShellPointSize;
    dialog.controls = {
        {kOkId, ControlKind::DefaultButton, QRect(49, 61, 50, 16), QStringLiteral("확인")},
        {kCancelId, ControlKind::Button, QRect(116, 61, 50, 16), QStringLiteral("취소")},
        {TextId, ControlKind::Edit, QRect(7, 7, 208, 46), QString(),
         ControlStyle::MultiLine | ControlStyle::ReadOnly | ControlStyle::VScroll},
    };
    return dialog;
}

COrvixMsgDlg::COrvixMsgDlg(QWidget* parent)
    : TemplateDialog(dialogTemplate(), parent) {
    setWindowTitle(uiText(UiRow::NoticeTitle, StoreTextColumn));
    QFont font(noticeFace());
    font.setPixelSize(16);
    font.setWeight(QFont::Normal);
    font.setItalic(false);
    font.setUnderline(false);
    font.setStrikeOut(false);
    for (int id : {kOkId, kCancelId, TextId}) {
        if (QWidget* widget = control<QWidget>(id))
            widget->setFont(font);
    }
}

void COrvixMsgDlg::SetMessage(int mode, const QString& text) {
    m_mode = mode;
    m_message = text;
    if (auto* ok = control<QPushButton>(kOkId))
        ok->setHidden(mode == OnlyCancel);
    if (auto* cancel = control<QPushButton>(kCancelId))
        cancel->setHidden(mode == OnlyOk);
    if (auto* edit = control<QPlainTextEdit>(TextId))
        edit->setPlainText(text);
}

} // namespace orvix
