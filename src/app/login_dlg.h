#pragma once

#include "platform/message_target.h"
#include "platform/template_dialog.h"

#include <QTimer>

namespace orvix {

class COrvixWinApp;

// The login dialog shown before any other window. It sends the typed ID and password to the
// server, repeats the request every 100 ms while the member's phone has not agreed to PC use,
// and on admission hands the reply to the application object and ends with OK. A refusal or
// Cancel ends it with Cancel.
class CLoginDlg : public TemplateDialog, public MessageTarget {
    Q_OBJECT
public:
    // The one-character password the service gives a member whose password must be changed on
    // the phone before the PC edition may be used. It is never sent to the server.
    static inline const QString ReservedPassword = QStringLiteral("0");
    static constexpr int RepeatMilliseconds = 100;

    // Control ids.
    static constexpr int MessageArea = 1047;
    static constexpr int IdEdit = 1003;
    static constexpr int PasswordEdit = 1005;
    static constexpr int RememberBox = 1007;

    static DialogTemplate dialogTemplate();

    explicit CLoginDlg(COrvixWinApp& app, QWidget* parent = nullptr);

    int onMessage(int message, WParam wParam, LParam lParam) override;

    bool isRepeating() const { return m_repeat.isActive(); }

protected:
    void onOk() override { LoginAction(); }
    void onCancel() override;

private:
    void LoginAction();
    void OnReply(const QString& text);
    void messageBox(const QString& text);
    void finish(int result);

    COrvixWinApp& m_app;
    int m_country;
    int m_remember = 1;
    bool m_ended = false;
    QTimer m_repeat;
};

} // namespace orvix
