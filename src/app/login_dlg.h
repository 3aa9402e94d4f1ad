#pragma once

#include "platform/message_target.h"
#include "platform/template_dialog.h"

#include <QElapsedTimer>
#include <QTimer>

#include <chrono>

namespace orvix {

class COrvixWinApp;

// The login dialog shown before any other window. It sends the typed ID and password to the
// server, repeats the request every 100 ms while the member's phone has not agreed to PC use,
// and on admission hands the reply to the application object and ends with OK. A refusal or
// Cancel ends it with Cancel.
//
// A login the server cannot answer (refused, silent, garbled) gives OK back with a word that the
// server cannot be reached; while the phone's agreement is pending, a failed request is simply
// asked again, as after a reply.
class CLoginDlg : public TemplateDialog, public MessageTarget {
    Q_OBJECT
public:
    // The one-character password the service gives a member whose password must be changed on
    // the phone before the PC edition may be used. It is never sent to the server.
    static inline const QString ReservedPassword = QStringLiteral("0");
    static constexpr int RepeatMilliseconds = 100;
    // How long one login request waits for the server's reply.
    static constexpr std::chrono::milliseconds RequestTimeout{10000};

    // Control ids.
    static constexpr int MessageArea = 1047;
    static constexpr int IdEdit = 1003;
    static constexpr int PasswordEdit = 1005;
    static constexpr int RememberBox = 1007;
    static constexpr int Face = -1; // the picture that is the dialog's whole face

    // Where the face paints the remember label (face pixels): a click there toggles the box.
    static constexpr QRect RememberLabelArea{44, 352, 246, 30};

    static DialogTemplate dialogTemplate();

    explicit CLoginDlg(COrvixWinApp& app, QWidget* parent = nullptr);

    int onMessage(int message, WParam wParam, LParam lParam) override;

    // For tests: a shorter wait for each login reply than RequestTimeout.
    void setRequestTimeout(std::chrono::milliseconds timeout) { m_requestTimeout = timeout; }

    bool isRepeating() const { return m_repeat.isActive(); }
    bool isPending() const { return m_pending; }

    // The painted remember label, in the member's language: it says that the password is
    // remembered with the ID.
    static QString rememberLabel(int country);
    // The message shown when the server cannot be reached.
    static QString unreachableText(int country);

protected:
    void onOk() override { LoginAction(); }
    void onCancel() override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void LoginAction();
    void OnReply(const QString& text);
    void OnFailure();
    // Runs the login action again once the repeat period has passed since the last reply.
    void scheduleRepeat();
    void onRepeatTimer();
    void messageBox(const QString& text);
    void finish(int result);

    COrvixWinApp& m_app;
    int m_country;
    int m_remember = 1;
    bool m_ended = false;
    bool m_pending = false;
    std::chrono::milliseconds m_requestTimeout = RequestTimeout;
    QTimer m_repeat;
    QElapsedTimer m_sinceAnswer;
};

} // namespace orvix
