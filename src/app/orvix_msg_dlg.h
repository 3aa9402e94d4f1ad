#pragma once

#include "platform/template_dialog.h"

namespace orvix {

// The program's own notice box: a read-only text with OK and Cancel, in a font of its own and
// always titled in the store text column. Its mode chooses the buttons.
class COrvixMsgDlg : public TemplateDialog {
    Q_OBJECT
public:
    static constexpr int ResourceId = 105;
    static constexpr int TextId = 1025;
    // Modes of SetMessage: only OK, or only Cancel; any other mode shows both.
    static constexpr int OnlyOk = 2;
    static constexpr int OnlyCancel = 3;

    explicit COrvixMsgDlg(QWidget* parent = nullptr);

    // Sets the buttons and the text before the dialog is run.
    void SetMessage(int mode, const QString& text);

    int mode() const { return m_mode; }
    const QString& message() const { return m_message; }

    static DialogTemplate dialogTemplate();

private:
    QString m_message;
    int m_mode = 0;
};

} // namespace orvix
