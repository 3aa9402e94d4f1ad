#pragma once

#include "platform/template_dialog.h"

namespace orvix {

// "웹 연결": asks for a web link; any text is taken, also one without "http://".
class CWebAddressDlg : public TemplateDialog {
    Q_OBJECT
public:
    static constexpr int ResourceId = 193;
    static constexpr int AddressId = 1070;

    explicit CWebAddressDlg(QWidget* parent = nullptr);

    QString address() const { return m_address; }

    static DialogTemplate dialogTemplate();

protected:
    void onOk() override;

private:
    QString m_address;
};

} // namespace orvix
