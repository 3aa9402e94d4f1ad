#pragma once

#include "board/post_photo_files.h"
#include "board/post_row.h"

#include <QImage>
#include <QString>

#include <vector>

namespace orvix {

// The rows of the post list and their geometry: row i lies from y = 10 + 100 × i to 100 pixels
// further down, in a document 600 pixels wide and 100 × N high (N as the reply announced it).
class PostListModel {
public:
    static constexpr int DocumentWidth = 600;
    static constexpr int RowHeight = 100;
    static constexpr int FirstRowTop = 10;

    // The pictures every row shares: the default photo (167) and the "New" badge (198).
    PostListModel(PostPhotoFiles photos, QImage defaultPhoto, QImage badge);

    // Takes a reply of the list request. A reply whose first field is not "1" is not taken
    // (false) and changes nothing; any other replaces every row, fetching photos that are not
    // in the working folder yet, one after the other.
    bool takeReply(const QString& text);

    // Decodes the photos of rows [first, end) that are not decoded yet. A photo is decoded the
    // first time its row is drawn, so that a long list is taken at once; a photo that does not
    // decode leaves its row with the default picture.
    void loadPhotos(int first, int end);
    // A photo decoded elsewhere for a row of the reply `generation`; ignored when the rows were
    // replaced since or the row has its photo already. True when the row took it.
    bool takeDecoded(int generation, int row, const QImage& photo, int storedWidth, int height);
    // Counts the replies taken; rows of an earlier reply are gone.
    int generation() const { return m_generation; }

    const std::vector<CPostRow>& rows() const { return m_rows; }
    std::vector<CPostRow>& rows() { return m_rows; }
    int scrollHeight() const { return m_scrollHeight; }

    static int rowTop(int index) { return FirstRowTop + RowHeight * index; }
    // The row a document y lies strictly inside (top < y < top + 100), or -1: a click on a
    // row's boundary or above the first row opens nothing.
    int rowAt(int documentY) const;
    // The rows that a band of the document from top to bottom touches: [first, end).
    std::pair<int, int> rowsIn(int top, int bottom) const;

    const PostPhotoFiles& photos() const { return m_photos; }

private:
    PostPhotoFiles m_photos;
    QImage m_defaultPhoto;
    QImage m_badge;
    std::vector<CPostRow> m_rows;
    int m_scrollHeight = 0;
    int m_generation = 0;
};

} // namespace orvix
