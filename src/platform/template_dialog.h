#pragma once

#include "platform/dialog_template.h"

#include <QDialog>

namespace orvix {

// A dialog built from a template. The buttons with ids 1 and 2 are its OK and Cancel: they
// call onOk() and onCancel(), as do Enter (through the default button) and Escape. A dialog
// ends with the result code it is given: 1 for OK, 2 for Cancel.
class TemplateDialog : public QDialog {
    Q_OBJECT
public:
    explicit TemplateDialog(const DialogTemplate& dialogTemplate, QWidget* parent = nullptr);

    template <class T> T* control(int id) const { return findControl<T>(this, id); }
    const DialogUnits& units() const { return m_units; }

    // Ends a modal run with a result code.
    void endDialog(int result) { done(result); }

    void accept() override { onOk(); }
    void reject() override { onCancel(); }

protected:
    virtual void onOk() { endDialog(1); }
    virtual void onCancel() { endDialog(2); }

private:
    DialogUnits m_units;
};

} // namespace orvix
