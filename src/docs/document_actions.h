#pragma once

namespace orvix {

class COrvixWinApp;

// Makes the document library and the document dialog reachable from the launcher and the other
// features through the application object's actions.
void registerDocumentActions(COrvixWinApp& app);

} // namespace orvix
