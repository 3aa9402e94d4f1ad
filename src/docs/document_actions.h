#pragma once

namespace orvix {

class COrvixWinApp;

// Makes the documents feature reachable from the launcher and the other features through the
// application object's actions:
// - Action::OpenDocumentLibrary (argument: the parent QWidget*): the library, run modally;
// - Action::RunDocumentDialog (argument: DocumentDialogRun*): the document dialog, run modally
//   over the run's parent; the run gets the dialog's result and what it registered.
void registerDocumentActions(COrvixWinApp& app);

} // namespace orvix
