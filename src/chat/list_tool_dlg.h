#pragma once

#include "platform/template_dialog.h"

namespace orvix {

// The strip under the room list: a window of its own without caption, with two buttons that do
// nothing. It floats under its pane like the input panel.
class CListToolDlg : public TemplateDialog {
    Q_OBJECT
public:
    static constexpr int ResourceId = 146;

    static DialogTemplate dialogTemplate();

    // Made for the list view, but a window of its own without a parent widget.
    explicit CListToolDlg(QWidget* listView);

protected:
    void onOk() override {}
    void onCancel() override {}
    void paintEvent(QPaintEvent* event) override;
};

} // namespace orvix
