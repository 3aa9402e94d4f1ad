#pragma once

#include "platform/template_dialog.h"

class QKeyEvent;
class QShowEvent;

namespace orvix {

class CExplorer;

// The preview dialog: one browser filling the dialog, which shows the preview page written to
// the working folder ("prevview.html") each time the dialog opens. OK and Cancel (Enter and
// Escape) close it. The content editor and the opinion dialog run it after writing the page:
//     CWebDialog preview(this);
//     COrvixWinApp::current().ui().runModal(preview);
class CWebDialog : public TemplateDialog {
    Q_OBJECT
public:
    static constexpr int ResourceId = 151;
    static constexpr int BrowserId = 1018;

    explicit CWebDialog(QWidget* parent = nullptr);

    CExplorer* explorer() const { return m_explorer; }

    // The preview page of a working folder.
    static QString previewPath(const QString& workFolder);

    static DialogTemplate dialogTemplate();

protected:
    void showEvent(QShowEvent* event) override;
    // Enter is OK, though the dialog has no button for it.
    void keyPressEvent(QKeyEvent* event) override;

private:
    CExplorer* m_explorer;
};

} // namespace orvix
