#include "docs/document_actions.h"

#include "app/orvix_win_app.h"
#include "docs/my_document_dlg.h"
#include "platform/ui_services.h"

namespace orvix {

void registerDocumentActions(COrvixWinApp& app) {
    app.setAction(COrvixWinApp::Action::OpenDocumentLibrary, [&app] {
        // The library runs with the chat window as its parent, and ends with its modal run.
        CMyDocumentDlg library(app.window(COrvixWinApp::Window::ChatFrame));
        app.ui().runModal(library);
    });
}

} // namespace orvix
