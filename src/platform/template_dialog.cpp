#include "platform/template_dialog.h"

#include <QAbstractButton>

namespace orvix {

TemplateDialog::TemplateDialog(const DialogTemplate& dialogTemplate, QWidget* parent)
    : QDialog(parent)
    , m_units(buildControls(this, dialogTemplate)) {
    setWindowTitle(dialogTemplate.caption);
    if (auto* ok = control<QAbstractButton>(1))
        connect(ok, &QAbstractButton::clicked, this, [this] { onOk(); });
    if (auto* cancel = control<QAbstractButton>(2))
        connect(cancel, &QAbstractButton::clicked, this, [this] { onCancel(); });
}

} // namespace orvix
