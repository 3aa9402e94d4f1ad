#pragma once

#include "platform/message_target.h"
#include "platform/template_dialog.h"

class QProgressBar;

namespace orvix {

// A borderless progress strip that lives inside its owner window and follows an upload. The
// owner sets the total in bytes; each progress message (1038) carries the bytes done. The
// member cannot close it: Enter and Escape do nothing. Windows that upload drive it through
// UploadProgress.
class CProgressDlg : public TemplateDialog, public MessageTarget {
    Q_OBJECT
public:
    static constexpr int ResourceId = 197;
    static constexpr int BarId = 1020;

    // Created hidden as a child of its owner; the owner shows and hides it.
    explicit CProgressDlg(QWidget* owner);

    void setTotal(qint64 total) { m_total = total; }
    qint64 total() const { return m_total; }
    // The bar's position, 0 to 100.
    int position() const;

    // Handles the progress message: wParam is the number of bytes done.
    int onMessage(int message, WParam wParam, LParam lParam) override;

    // The bar position for bytes done of a total: the ratio in single precision times 100,
    // truncated, kept within 0 to 100; 0 while the total is not positive.
    static int positionFor(qint64 done, qint64 total);

    static DialogTemplate dialogTemplate();

protected:
    void onOk() override {}
    void onCancel() override {}

private:
    QProgressBar* m_bar;
    qint64 m_total = 0;
};

} // namespace orvix
