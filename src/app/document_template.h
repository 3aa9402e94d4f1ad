#pragma once

#include <QString>
#include <QStringList>

#include <functional>

class QWidget;

namespace orvix {

// One kind of window the program opens: its document, frame and view classes, and the
// document string that names the file type. Creating the frame also creates its view and
// completes its first update; the frame registers itself with the application object.
struct DocumentTemplate {
    static inline const QString OrvixDocumentString = QStringLiteral(
        "Orvix\n\nOrvix\nOrvix Files (*.sml)\n.sml\nOrvixWin.Document\nOrvixWin.Document");

    int resourceId = 128;
    QString documentString = OrvixDocumentString;
    QString documentClass;
    QString frameClass;
    QString viewClass;
    std::function<QWidget*()> createFrame;

    // Fields of the document string: window title, document name, new-file name, filter name,
    // filter extension, file type id, file type name.
    QString documentStringField(int index) const {
        return documentString.split(QLatin1Char('\n')).value(index);
    }
    QString filterName() const { return documentStringField(3); }
    QString filterExtension() const { return documentStringField(4); }
    QString fileTypeId() const { return documentStringField(5); }
};

} // namespace orvix
