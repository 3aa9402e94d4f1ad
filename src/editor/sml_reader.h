#pragma once

#include "editor/content_model.h"

#include <QByteArray>
#include <QString>
#include <QStringView>

#include <functional>

namespace orvix {

// Reads a ".sml" content file (see SmlWriter for the format) into blocks.
//
// The text is split at each "</>": the first piece must be "orvix", then come the file name,
// the block count and the title, then at most block-count records (fewer when the text ends
// first). A record is split at "<@>"; its kind is the first field without blanks:
// - "1" text: size, bold and italic ("true" exactly), background and text colour, alignment
//   ("1" centre, "2" right, anything else left), link ("0" is none) and the text with each
//   "<br>" turned back into CR LF;
// - "2" photo: the photo is fetched by its name into the working folder and loaded; width
//   percent (0 reads as 100), alignment and index; the link is not kept;
// - "8" document: address, file name, size percent = (size ÷ 24) × 100, alignment, index;
// - any other kind is skipped and remembered.
// Numbers are read as the platform reads a floating-point number from the start of a text and
// are truncated toward zero; what is not a number reads as 0. A record shorter than its kind
// reads its missing fields as empty text or 0.
//
// A file larger than MaxFileSize is not taken for a content, and at most MaxBlocks records are
// read: a damaged or hostile file cannot make the editor build millions of blocks.
//
// A photo name that may not name a file in the working folder (a path, "..", a drive letter, a
// control character, or one of the program's own files) is never fetched: the block is kept,
// without its picture.
class SmlReader {
public:
    struct Result {
        bool recognised = false; // the text starts with "orvix"
        QString fileName;
        int blockCount = 0;
        QString title;
        ContentModel::Blocks blocks;
        bool skippedUnknown = false; // a record of a kind that cannot be shown was skipped
    };

    // What the reader reports while it reads, in this order: the block count; for each record
    // its kind ("1", "2", "8" or another) and index field; after a photo is fetched and after
    // each record, the number of records handled so far.
    struct Progress {
        std::function<void(int count)> blockCount;
        std::function<void(const QString& kind, const QString& index)> blockStarted;
        std::function<void(int handled)> handled;
    };

    // Fetches a photo by its name into a local path; true when the file was written.
    using PhotoFetcher = std::function<bool(const QString& name, const QString& localPath)>;

    static constexpr qint64 MaxFileSize = 16 * 1024 * 1024;
    static constexpr int MaxBlocks = 10000;

    SmlReader(QString workFolder, PhotoFetcher fetchPhoto);

    Result read(const QByteArray& bytes, const Progress& progress = {}) const;
    // Reads a file; a file that cannot be read, or is larger than MaxFileSize, is not
    // recognised.
    Result readFile(const QString& path, const Progress& progress = {}) const;

    // A field read as a number: the longest start of the text (after white space) that is a
    // decimal floating-point number, truncated toward zero and kept within the int range;
    // 0 when there is none.
    static int number(QStringView text);

private:
    std::unique_ptr<CContentBlock> readPhoto(const QStringList& fields, int handled,
                                             const Progress& progress) const;

    QString m_workFolder;
    PhotoFetcher m_fetchPhoto;
};

} // namespace orvix
