#pragma once

#include <QString>

namespace orvix {

// A member's document on the image server: which local files may be uploaded as documents, and
// the folder and name an upload gets there. Documents go to "document/<member number>" under a
// name made of the member number, the upload time in seconds and the upper-cased extension.
class DocumentFile {
public:
    // The extension of a file name or path, upper-cased, without the dot: "report.pdf" gives
    // "PDF", "a.tar.gz" gives "GZ"; empty when the name has no extension.
    static QString upperExtension(const QString& fileName);

    // Whether a file with this upper-cased extension may be uploaded as a document: web pages,
    // server scripts and programs may not ("PHP", "PHP3", "HTM", "HTML", "EXE").
    static bool isAccepted(const QString& upperExtension);

    // "document/<member number>".
    static QString targetFolder(const QString& memberNumber);

    // "<member number><seconds>.<extension>", the seconds in signed decimal.
    static QString targetName(const QString& memberNumber, qint32 seconds,
                              const QString& upperExtension);
};

} // namespace orvix
