#pragma once

#include "platform/template_dialog.h"

#include <optional>

namespace orvix {

// "영상크기 설정": the width of a photo or the scale of a document as a percentage of the
// screen's width. OK takes only an unsigned number (anything else is refused with a message
// and the dialog stays open); no range is enforced.
class CImageSizeDlg : public TemplateDialog {
    Q_OBJECT
public:
    static constexpr int ResourceId = 192;
    static constexpr int ValueId = 1064;

    explicit CImageSizeDlg(QWidget* parent = nullptr);

    void setValue(quint32 value);
    quint32 value() const { return m_value; }

    // An unsigned 32-bit number: decimal digits with blanks around them; nothing otherwise.
    static std::optional<quint32> parse(const QString& text);

    static DialogTemplate dialogTemplate();

protected:
    void onOk() override;

private:
    quint32 m_value = 0;
};

} // namespace orvix
