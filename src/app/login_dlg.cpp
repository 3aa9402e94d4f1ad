#include "app/login_dlg.h"

#include "app/login_reply.h"
#include "app/orvix_win_app.h"
#include "app/ui_text.h"
#include "net/reply_notice.h"
#include "platform/ui_services.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>

namespace orvix {

DialogTemplate CLoginDlg::dialogTemplate() {
    DialogTemplate t;
    t.resourceId = 144;
    t.caption = QStringLiteral("Login");
    t.size = QSize(112, 198);
    t.fontFace = QStringLiteral("굴림체");
    t.pointSize = 16;
    t.controls = {
        {-1, ControlKind::Picture, QRect(0, 1, 109, 197), {}, ControlStyle::None, 201},
        {MessageArea,
         ControlKind::Edit,
         QRect(5, 76, 99, 19),
         {},
         ControlStyle::MultiLine | ControlStyle::ReadOnly | ControlStyle::Hidden},
        {IdEdit, ControlKind::Edit, QRect(38, 98, 67, 14), {}},
        {PasswordEdit, ControlKind::Edit, QRect(38, 114, 67, 14), {}, ControlStyle::Password},
        {RememberBox, ControlKind::CheckBox, QRect(7, 135, 8, 10), {}, ControlStyle::Transparent},
        {1, ControlKind::DefaultButton, QRect(60, 148, 42, 14), QStringLiteral("OK")},
        {2, ControlKind::Button, QRect(13, 148, 44, 14), QStringLiteral("Cancel")},
        {1045, ControlKind::Static, QRect(5, 102, 30, 8), QStringLiteral("ID"),
         ControlStyle::Hidden},
        {1046, ControlKind::Static, QRect(4, 116, 33, 8), QStringLiteral("Password"),
         ControlStyle::Hidden},
    };
    return t;
}

CLoginDlg::CLoginDlg(COrvixWinApp& app, QWidget* parent)
    : TemplateDialog(dialogTemplate(), parent)
    , m_app(app)
    , m_country(app.session().country) {
    m_repeat.setSingleShot(true);
    m_repeat.setInterval(RepeatMilliseconds);
    connect(&m_repeat, &QTimer::timeout, this, [this] { LoginAction(); });

    setWindowTitle(loginText(LoginRow::Title, m_country));
    setWindowIcon(QIcon());
    control<QPushButton>(1)->setText(loginText(LoginRow::Ok, m_country));
    control<QPushButton>(2)->setText(loginText(LoginRow::Cancel, m_country));
    control<QCheckBox>(RememberBox)->setChecked(true);
    control<QLineEdit>(IdEdit)->setText(app.session().memberId);
    control<QLineEdit>(PasswordEdit)->setText(app.session().password);
    control<QPlainTextEdit>(MessageArea)->hide();
    control<QLineEdit>(IdEdit)->setFocus();
}

void CLoginDlg::messageBox(const QString& text) {
    m_app.ui().messageBox(this, COrvixWinApp::ApplicationTitle, text);
}

void CLoginDlg::finish(int result) {
    m_ended = true;
    m_repeat.stop();
    endDialog(result);
}

void CLoginDlg::onCancel() {
    finish(DialogResult::Cancel);
}

void CLoginDlg::LoginAction() {
    auto* ok = control<QPushButton>(1);
    ok->setEnabled(false);
    const QString id = control<QLineEdit>(IdEdit)->text();
    const QString password = control<QLineEdit>(PasswordEdit)->text();
    if (password == ReservedPassword) {
        messageBox(loginText(LoginRow::PasswordMustChange, m_country));
        ok->setEnabled(true);
        return;
    }
    // Until an admitted login names the session's server, the session's server address is the
    // built-in one: every login request goes there.
    m_app.sendRequest(QByteArrayLiteral("/android/pclogin.php"),
                      QStringLiteral("id=%1&password=%2").arg(id, password), this);
}

int CLoginDlg::onMessage(int message, WParam wParam, LParam lParam) {
    const auto reply = ReplyNotice::from(message, wParam, lParam);
    if (!reply || m_ended)
        return 0;
    OnReply(reply->text());
    return 1;
}

void CLoginDlg::OnReply(const QString& text) {
    m_remember = control<QCheckBox>(RememberBox)->isChecked() ? 1 : 0;
    const QString id = control<QLineEdit>(IdEdit)->text();
    const QString password = control<QLineEdit>(PasswordEdit)->text();

    const LoginReply reply = LoginReply::parse(text);
    switch (reply.outcome) {
    case LoginReply::Outcome::WrongPassword:
        messageBox(loginText(LoginRow::WrongPassword, m_country));
        control<QPushButton>(1)->setEnabled(true);
        return;
    case LoginReply::Outcome::Refused:
        messageBox(loginText(LoginRow::NotAdmitted, m_country));
        finish(DialogResult::Cancel);
        return;
    case LoginReply::Outcome::Pending: {
        auto* area = control<QPlainTextEdit>(MessageArea);
        area->setPlainText(loginText(LoginRow::AgreementPending, m_country));
        area->show();
        m_repeat.start();
        return;
    }
    case LoginReply::Outcome::Admitted:
        break;
    }

    m_app.StoreLoginResult(reply, id, password, m_remember);
    finish(DialogResult::Ok);
}

} // namespace orvix
