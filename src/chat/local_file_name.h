#pragma once

#include <QString>
#include <QStringView>

namespace orvix {

// Local files named by the server. Partner numbers and chat photo names arrive in replies and
// become file names in the working folder; such a name must never lead anywhere else. A name is
// accepted only as one plain file name: not empty, not "." or "..", without "/", "\", ":" (a
// drive letter or a stream), without NUL or another control character, and without the
// characters that Windows refuses in names ("<", ">", "\"", "|", "?", "*").
class LocalFileName {
public:
    static bool isSafe(QStringView name);

    // folder + "/" + name for a safe name; an empty text otherwise.
    static QString pathIn(const QString& folder, QStringView name);

    // A name of one's own made fit to travel: every character that isSafe() refuses, and those
    // that would change its meaning in a form body or an address ("&", "%", "#"), become "_".
    // An empty name, "." or ".." becomes "_".
    static QString sanitized(QStringView name);
};

} // namespace orvix
