#pragma once

#include <QString>
#include <QStringView>

namespace orvix {

// The names a content and its files get, and the checks on names that arrive in a downloaded
// content before they name a file on this computer or on the server.
class ContentNames {
public:
    // A number as printf's "%0*d" writes it (the sign before the zeros).
    static QString zeroPadded(qint64 number, int width);

    // A new content: the member's ID, the member number and the time, run together ("%s%d%d").
    // Characters that cannot stand in a content's file name (see usableFileName) become "_".
    static QString newFileName(const QString& memberId, int memberNumber, qint32 now);
    // "mailbox/%010d": the server folder of a member's contents.
    static QString mailboxFolder(int memberNumber);
    // "mem%012d.sml" and "st%09d.sml": the member's profile and a store's content.
    static QString memberContentFile(int memberNumber);
    static QString storeContentFile(int storeNumber);
    // "%s%d.jpg": the server name of the photo at a position of a content.
    static QString photoServerName(const QString& fileName, int position);

    // The file name of a content (without ".sml") as a content file names it, made fit to name
    // the content file here and on the server, its photos, and to stand in a form body and in
    // the photo list "name=size,...": "&", "=", ",", "%", "#" and "?" become "_"; a name that
    // would still be no plain file name (a path separator, a drive letter, a control
    // character, "." or ".."), or is empty, gives an empty text: the content needs a new name.
    static QString usableFileName(const QString& name);

    // Whether a name read from a content file may name a file in the working folder: one plain
    // file name (no "/", "\", ":", NUL or control character; not "." or ".."; at most 255
    // bytes), and none of the program's own files there (the settings file, the preview page,
    // content files).
    static bool isSafeLocalName(QStringView name);
};

} // namespace orvix
