#include "app/login_dlg.h"

#include "app/fonts.h"
#include "app/login_reply.h"
#include "app/orvix_win_app.h"
#include "app/ui_text.h"
#include "net/failure_notice.h"
#include "net/orvi_http.h"
#include "net/reply_notice.h"
#include "platform/resources.h"
#include "platform/ui_services.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTextDocument>

namespace orvix {

namespace {

constexpr LocalText kRememberLabel{u"아이디·비밀번호 기억", u"记住用户名和密码",
                                   u"Remember ID and password"};
constexpr LocalText kUnreachable{u"서버에 연결할 수 없습니다. 잠시 후 다시 시도해 주세요.",
                                 u"无法连接服务器，请稍后再试。",
                                 u"Cannot reach the server. Please try again later."};

// The pending message is shown in the dialog's proportional face at a size that lets every
// language's text stand whole in the message area.
constexpr int kMessagePixels = 13;

} // namespace

DialogTemplate CLoginDlg::dialogTemplate() {
    DialogTemplate t;
    t.resourceId = 144;
    t.caption = QStringLiteral("Login");
    t.size = QSize(112, 198);
    t.fontFace = QStringLiteral("굴림체");
    t.pointSize = 16;
    t.controls = {
        {Face, ControlKind::Picture, QRect(0, 1, 109, 197), {}, ControlStyle::None, 201},
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

QString CLoginDlg::rememberLabel(int country) {
    return kRememberLabel.pick(country);
}

QString CLoginDlg::unreachableText(int country) {
    return kUnreachable.pick(country);
}

CLoginDlg::CLoginDlg(COrvixWinApp& app, QWidget* parent)
    : TemplateDialog(dialogTemplate(), parent)
    , m_app(app)
    , m_country(app.session().country) {
    // Never early: a precise timer, and the period is counted again when it fires (see
    // onRepeatTimer).
    m_repeat.setSingleShot(true);
    m_repeat.setTimerType(Qt::PreciseTimer);
    m_repeat.setInterval(RepeatMilliseconds);
    connect(&m_repeat, &QTimer::timeout, this, &CLoginDlg::onRepeatTimer);

    setWindowTitle(loginText(LoginRow::Title, m_country));
    control<QPushButton>(1)->setText(loginText(LoginRow::Ok, m_country));
    control<QPushButton>(2)->setText(loginText(LoginRow::Cancel, m_country));
    control<QCheckBox>(RememberBox)->setChecked(true);
    control<QLineEdit>(IdEdit)->setText(app.session().memberId);
    control<QLineEdit>(PasswordEdit)->setText(app.session().password);

    // The face's labels in the member's language; a click on the painted remember label
    // toggles its box.
    auto* face = control<QLabel>(Face);
    showPicture(face, res::LoginFace,
                {{QStringLiteral("font"), pictureFace(m_country)},
                 {QStringLiteral("id"), loginText(LoginRow::IdLabel, m_country)},
                 {QStringLiteral("password"), loginText(LoginRow::PasswordLabel, m_country)},
                 {QStringLiteral("remember"), rememberLabel(m_country)}});
    face->installEventFilter(this);

    auto* area = control<QPlainTextEdit>(MessageArea);
    QFont message(QStringLiteral("MS Shell Dlg"));
    message.setPixelSize(kMessagePixels);
    area->setFont(message);
    area->setFrameShape(QFrame::NoFrame);
    area->document()->setDocumentMargin(4);
    area->setFocusPolicy(Qt::NoFocus);
    area->hide();
    control<QLineEdit>(IdEdit)->setFocus();
}

bool CLoginDlg::eventFilter(QObject* watched, QEvent* event) {
    if (watched == control<QLabel>(Face) && event->type() == QEvent::MouseButtonRelease) {
        const auto* mouse = static_cast<QMouseEvent*>(event);
        if (mouse->button() == Qt::LeftButton &&
            RememberLabelArea.contains(mouse->position().toPoint())) {
            control<QCheckBox>(RememberBox)->toggle();
            return true;
        }
    }
    return TemplateDialog::eventFilter(watched, event);
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
    COrviHttp* request =
        m_app.sendRequest(QByteArrayLiteral("/android/pclogin.php"),
                          QStringLiteral("id=%1&password=%2").arg(id, password), this);
    request->setTimeout(m_requestTimeout);
}

int CLoginDlg::onMessage(int message, WParam wParam, LParam lParam) {
    if (m_ended)
        return 0;
    if (const auto reply = ReplyNotice::from(message, wParam, lParam)) {
        OnReply(reply->text());
        return 1;
    }
    if (FailureNotice::from(message, wParam, lParam)) {
        OnFailure();
        return 1;
    }
    return 0;
}

void CLoginDlg::OnReply(const QString& text) {
    m_remember = control<QCheckBox>(RememberBox)->isChecked() ? 1 : 0;
    const QString id = control<QLineEdit>(IdEdit)->text();
    const QString password = control<QLineEdit>(PasswordEdit)->text();

    const LoginReply reply = LoginReply::parse(text);
    m_pending = reply.outcome == LoginReply::Outcome::Pending;
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
        scheduleRepeat();
        return;
    }
    case LoginReply::Outcome::Admitted:
        break;
    }

    m_app.StoreLoginResult(reply, id, password, m_remember);
    finish(DialogResult::Ok);
}

void CLoginDlg::OnFailure() {
    // While the phone's agreement is pending the login keeps asking: the approval may come
    // while the network is away for a moment.
    if (m_pending) {
        scheduleRepeat();
        return;
    }
    messageBox(unreachableText(m_country));
    control<QPushButton>(1)->setEnabled(true);
}

void CLoginDlg::scheduleRepeat() {
    m_sinceAnswer.start();
    m_repeat.start(RepeatMilliseconds);
}

void CLoginDlg::onRepeatTimer() {
    // A timer may wake a little early; the repeat waits out the whole period.
    const qint64 left = RepeatMilliseconds - m_sinceAnswer.elapsed();
    if (left > 0) {
        m_repeat.start(int(left));
        return;
    }
    LoginAction();
}

} // namespace orvix
