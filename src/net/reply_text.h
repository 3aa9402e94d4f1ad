#pragma once

#include <QString>
#include <QStringList>
#include <QStringView>

namespace orvix {

// The fields of a reply text, split at each occurrence of a whole separator string.
//
// "1</></>x" has three fields: "1", "" and "x". An empty piece between two separators keeps its
// place, a trailing separator adds an empty last field, and fields past the end (or a number
// below 1) read as empty. An empty text has no fields. The same class splits a field further
// at "<@>", "#" or "|".
class ReplyFields {
public:
    explicit ReplyFields(const QString& text, QStringView separator = u"</>");

    // Field `number`, counted from 1.
    QString field(int number) const;
    int count() const;
    // The leading decimal integer of field n, 0 when it has none (see leadingNumber).
    int number(int n) const;

private:
    QStringList m_fields;
};

// Reads a leading decimal integer the way the C library's atoi reads a narrow string: ASCII
// white space (space, tab, line feed, vertical tab, form feed, carriage return) is skipped, one
// optional '+' or '-' is taken, then ASCII digits up to the first other character. Without a
// digit the result is 0. A value beyond the int range is clamped to INT_MAX or INT_MIN.
int leadingNumber(QStringView text);

// Whether a text is a number that may name a local file: one or more ASCII digits and nothing
// else (no sign, no space, no separator). Numbers from a reply that go into a file name or a
// path are used only when this holds, so that a reply can never steer a file out of its folder.
bool isFileNumber(QStringView text);

} // namespace orvix
