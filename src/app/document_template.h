#pragma once

#include "app/local_text.h"

#include <functional>

class QWidget;

namespace orvix {

// One kind of window the program opens. Creating the frame also creates its view and completes
// its first update; the frame registers itself with the application object, sets its own title
// and places itself. Start-up opens the first template as the main window and then, hidden,
// every other one that is created at start; the others open when a feature asks for them.
struct DocumentTemplate {
    std::function<QWidget*()> createFrame;
    bool createdAtStart = true;
    // What the New command calls the kind of window, in the three languages.
    LocalText name;
};

} // namespace orvix
