#include "app/progress_dlg.h"

#include <QProgressBar>

namespace orvix {

DialogTemplate CProgressDlg::dialogTemplate() {
    DialogTemplate dialog;
    dialog.resourceId = ResourceId;
    dialog.size = QSize(333, 20);
    dialog.fontFace = DialogTemplate::ShellFace;
    dialog.pointSize = DialogTemplate::ShellPointSize;
    dialog.controls = {
        {BarId, ControlKind::ProgressBar, QRect(3, 3, 326, 14), {}},
    };
    return dialog;
}

CProgressDlg::CProgressDlg(QWidget* owner)
    : TemplateDialog(dialogTemplate(), owner)
    , m_bar(control<QProgressBar>(BarId)) {
    Q_ASSERT(m_bar);
    // A child window without caption inside its owner.
    setWindowFlags(Qt::Widget);
    m_bar->setRange(0, 100);
    m_bar->setValue(0);
    hide();
}

int CProgressDlg::position() const {
    return m_bar->value();
}

int CProgressDlg::positionFor(qint64 done, qint64 total) {
    if (total <= 0)
        return 0;
    const float percent = static_cast<float>(done) / static_cast<float>(total) * 100.0f;
    if (!(percent > 0.0f))
        return 0;
    if (percent >= 100.0f)
        return 100;
    return static_cast<int>(percent);
}

int CProgressDlg::onMessage(int message, WParam wParam, LParam) {
    if (message != Msg::Progress)
        return 0;
    m_bar->setValue(positionFor(wParam, m_total));
    return 1;
}

} // namespace orvix
