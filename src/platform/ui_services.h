#pragma once

#include <QColor>
#include <QFont>
#include <QString>
#include <QStringList>

#include <optional>

class QDialog;
class QUrl;
class QWidget;

namespace orvix {

// Results of a message box and of a modal dialog, as the program's handlers compare them.
namespace DialogResult {
constexpr int Ok = 1;
constexpr int Cancel = 2;
constexpr int Yes = 6;
constexpr int No = 7;
} // namespace DialogResult

enum class MessageBoxButtons { Ok, OkCancel, YesNo };

// What a file-open chooser is asked for. The filter is in the program's own form:
// "JPG(*.JPG)|*.JPG|PNG(*.PNG)|*.PNG|ALL Files(*.*)|*.*||".
struct FileOpenRequest {
    QString filter;
    QString initialName;
    bool multiple = false;
};

// The user-interface services a window needs from the desktop: message boxes, choosers,
// modal runs and the desktop browser. Windows reach them through the application object, so
// tests can answer them with a scripted double instead of blocking on a real dialog.
class UiServices {
public:
    virtual ~UiServices() = default;

    // Shows a message box and returns one of DialogResult.
    virtual int messageBox(QWidget* parent, const QString& title, const QString& text,
                           MessageBoxButtons buttons = MessageBoxButtons::Ok) = 0;

    // Lets the member choose files; empty when cancelled.
    virtual QStringList chooseFiles(QWidget* parent, const FileOpenRequest& request) = 0;

    virtual std::optional<QColor> chooseColor(QWidget* parent, const QColor& initial) = 0;
    virtual std::optional<QFont> chooseFont(QWidget* parent, const QFont& initial) = 0;

    // Opens an address in the desktop's web browser; false when nothing could open it.
    virtual bool openInDesktopBrowser(const QUrl& address) = 0;

    // Runs a dialog modally and returns its result code.
    virtual int runModal(QDialog& dialog) = 0;
};

// Converts a filter of the program's form ("Name(*.EXT)|*.EXT|...||") to the form of Qt's file
// dialogs ("Name(*.EXT) (*.EXT *.ext);;..."). Patterns are matched on both cases, since
// file systems outside Windows tell case apart.
QString toQtFileFilter(const QString& filter);

} // namespace orvix
