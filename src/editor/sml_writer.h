#pragma once

#include <QString>

namespace orvix {

class ContentModel;

// Writes a content as a ".sml" file: one line of UTF-8 without byte-order mark or line break,
//     orvix</>FILE NAME</>BLOCK COUNT</>TITLE
// followed by one record per block, fields separated by "<@>":
//     </>1<@>index<@>size<@>bold<@>italic<@>R<@>G<@>B<@>R<@>G<@>B<@>alignment<@>link<@>text
//     </>2<@>index<@>name<@>width percent<@>alignment<@>link
//     </>8<@>index<@>size<@>false<@>false<@>255<@>255<@>255<@>0<@>0<@>0<@>alignment<@>0<@>address<@>file
//     name
// (a document is kind 8 in the file, shaped like a text record). An empty link is written "0";
// a text's CR LF become "<br>" and then each "&" a blank; sizes are absolute values; a
// document's size is (size percent ÷ 100) × its base font size. The index counts every block
// from 0, also blocks of a kind that is written as nothing.
//
// The markers "</>" and "<@>" cannot stand inside a field: a title, text, link, name or
// address that holds one would split its record when read back. Each marker inside a field is
// written with a blank after its "<" ("</>" as "< />", "<@>" as "< @>"): the file reads back as
// the same number and kinds of blocks, every other character unchanged.
class SmlWriter {
public:
    // The whole file as text.
    static QString text(const ContentModel& model);
    // Writes the file whole or not at all; false when it could not be written.
    static bool write(const ContentModel& model, const QString& path);

    // A field with its markers broken up as described above.
    static QString field(QString value);
};

} // namespace orvix
