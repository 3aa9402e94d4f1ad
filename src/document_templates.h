#pragma once

namespace orvix {

class COrvixWinApp;

// Registers the program's seven kinds of window with the application object, in the order
// start-up opens them: main launcher, chat, image, content editor, post view, store, post list.
void registerDocumentTemplates(COrvixWinApp& app);

} // namespace orvix
