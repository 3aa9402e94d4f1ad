#pragma once

#include <QStringList>

#include <cstddef>

class QAction;
class QWidget;

namespace orvix {

class COrvixWinApp;

// The framework's New command (57600): it offers every registered document type by name and
// opens a window of the chosen one. The store registration form is reached this way only.
//
// Feature windows live for the whole run, so a type whose window is already open (the launcher,
// the hidden feature windows, a store form opened before) brings that window forward instead
// of creating a second one.
class NewDocumentCommand {
public:
    static constexpr int Id = 57600;

    // The names the chooser shows, one per registered type in registration order: the type's
    // name with what its window is, in a text column.
    static QStringList typeNames(const COrvixWinApp& app, int column);

    // Runs the command: with one registered type its window opens at once; with several the
    // chooser runs modally and the chosen type's window opens. Returns the window shown, or
    // nullptr when nothing was chosen or the window could not be created.
    static QWidget* run(COrvixWinApp& app, QWidget* parent);

    // Shows the window of a type (0-based): the one that exists, or a new one.
    static QWidget* open(COrvixWinApp& app, std::size_t type);

    // A "New" action (Ctrl+N) on a widget, for its context menu and its window's keyboard,
    // placed before another action (or last): it runs the command with the widget's window as
    // parent.
    static QAction* addTo(QWidget* widget, QAction* before = nullptr);

    // "New" in a text column.
    static QString commandName(int column);
};

} // namespace orvix
