#include "docs/document_actions.h"

#include "app/document_dialog_run.h"
#include "app/orvix_win_app.h"
#include "docs/document_dlg.h"
#include "docs/my_document_dlg.h"
#include "platform/ui_services.h"

namespace orvix {

void registerDocumentActions(COrvixWinApp& app) {
    app.setAction(COrvixWinApp::Action::OpenDocumentLibrary, [](const QVariant& argument) {
        CMyDocumentDlg library(argument.value<QWidget*>());
        COrvixWinApp::current().ui().runModal(library);
    });
    app.setAction(COrvixWinApp::Action::RunDocumentDialog, [](const QVariant& argument) {
        DocumentDialogRun* run = DocumentDialogRun::of(argument);
        if (!run)
            return;
        CDocumentDlg dialog(run->parent);
        run->result = COrvixWinApp::current().ui().runModal(dialog);
        if (run->result != DialogResult::Ok)
            return;
        run->fileName = dialog.fileName();
        run->address = dialog.fileAddress();
        run->extension = dialog.extension();
        run->comment = dialog.description();
    });
}

} // namespace orvix
