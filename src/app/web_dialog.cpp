#include "app/web_dialog.h"

#include "app/explorer.h"
#include "app/orvix_win_app.h"

#include <QKeyEvent>
#include <QShowEvent>

namespace orvix {

DialogTemplate CWebDialog::dialogTemplate() {
    DialogTemplate dialog;
    dialog.resourceId = ResourceId;
    dialog.caption = QStringLiteral("미리보기");
    dialog.size = QSize(401, 318);
    dialog.fontFace = DialogTemplate::ShellFace;
    dialog.pointSize = DialogTemplate::ShellPointSize;
    dialog.controls = {
        {BrowserId, ControlKind::Browser, QRect(0, 0, 401, 318), {}},
    };
    return dialog;
}

CWebDialog::CWebDialog(QWidget* parent)
    : TemplateDialog(dialogTemplate(), parent)
    , m_explorer(CExplorer::fill(this, BrowserId)) {}

QString CWebDialog::previewPath(const QString& workFolder) {
    return workFolder + QStringLiteral("/prevview.html");
}

void CWebDialog::showEvent(QShowEvent* event) {
    // Each opening shows the page as it was last written.
    if (!event->spontaneous())
        m_explorer->Navigate(previewPath(COrvixWinApp::current().session().workFolder));
    TemplateDialog::showEvent(event);
}

void CWebDialog::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        onOk();
        return;
    }
    TemplateDialog::keyPressEvent(event);
}

} // namespace orvix
