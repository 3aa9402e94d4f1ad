#include "app/upgrade_dlg.h"

#include "app/orvix_win_app.h"
#include "net/reply_text.h"
#include "platform/resources.h"
#include "platform/ui_services.h"

#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>

namespace orvix {

namespace {

constexpr int kOkId = 1;
constexpr int kCancelId = 2;

const QString kRequiredMessage = QStringLiteral(
    "Orvix가 업그레이드가 되었습니다. 새로운 버전이 존재 합니다. 현재 버전으로 사용이 불가능 "
    "합니다.업그레이드를 부탁드립니다.");
const QString kOfferMessage =
    QStringLiteral("Orvix가 업그레이드가 되었습니다. 업그레이드 하시겠습니까?");

} // namespace

DialogTemplate UpGradeDlg::dialogTemplate() {
    DialogTemplate dialog;
    dialog.resourceId = ResourceId;
    dialog.caption = QStringLiteral("업그레이드 알림");
    dialog.size = QSize(246, 126);
    dialog.fontFace = DialogTemplate::ShellFace;
    dialog.pointSize = DialogTemplate::ShellPointSize;
    dialog.controls = {
        {kOkId, ControlKind::DefaultButton, QRect(53, 97, 50, 14), QStringLiteral("확인")},
        {kCancelId, ControlKind::Button, QRect(125, 96, 50, 14), QStringLiteral("취소")},
        {MessageId, ControlKind::Edit, QRect(7, 50, 231, 40), QString(),
         ControlStyle::MultiLine | ControlStyle::ReadOnly},
        {PictureId,
         ControlKind::Picture,
         QRect(7, 7, 40, 40),
         {},
         ControlStyle::None,
         res::UpgradePicture},
        {-1, ControlKind::Static, QRect(62, 13, 44, 10), QStringLiteral("현재 버전")},
        {-1, ControlKind::Static, QRect(62, 31, 44, 10), QStringLiteral("새 버전")},
        {CurrentVersionId, ControlKind::Edit, QRect(108, 11, 69, 14), QString(),
         ControlStyle::ReadOnly},
        {NewVersionId, ControlKind::Edit, QRect(107, 29, 69, 14), QString(),
         ControlStyle::ReadOnly},
    };
    return dialog;
}

UpGradeDlg::UpGradeDlg(QWidget* parent)
    : TemplateDialog(dialogTemplate(), parent) {
    const SessionRecord& session = COrvixWinApp::current().session();
    control<QLineEdit>(CurrentVersionId)->setText(SessionRecord::clientVersionName);
    control<QLineEdit>(NewVersionId)->setText(session.latestVersionName);

    m_required =
        leadingNumber(session.minimumVersionCode) > leadingNumber(SessionRecord::clientVersionCode);
    control<QPushButton>(kCancelId)->setEnabled(!m_required);
    control<QPlainTextEdit>(MessageId)->setPlainText(m_required ? kRequiredMessage : kOfferMessage);
}

QUrl UpGradeDlg::webSiteAddress(const QString& webHost) {
    return QUrl(QStringLiteral("http://%1/").arg(webHost));
}

void UpGradeDlg::onOk() {
    // Whether the browser could open the site or not, this version ends here.
    const COrvixWinApp& application = COrvixWinApp::current();
    application.ui().openInDesktopBrowser(webSiteAddress(application.configuration().webHost));
    m_exitCode = ExitCode;
    endDialog(DialogResult::Ok);
}

void UpGradeDlg::onCancel() {
    // A version the server no longer accepts cannot be kept by Escape or the close box either.
    if (m_required)
        return;
    endDialog(DialogResult::Cancel);
}

} // namespace orvix
