#include "board/post_list_model.h"

#include "board/post_list_reply.h"

namespace orvix {

PostListModel::PostListModel(PostPhotoFiles photos, QImage defaultPhoto, QImage badge)
    : m_photos(std::move(photos))
    , m_defaultPhoto(std::move(defaultPhoto))
    , m_badge(std::move(badge)) {}

bool PostListModel::takeReply(const QString& text) {
    const auto reply = PostListReply::parse(text);
    if (!reply)
        return false;
    std::vector<CPostRow> rows;
    rows.reserve(std::size_t(reply->posts.size()));
    for (const PostListEntry& post : reply->posts) {
        CPostRow row;
        row.title = post.title;
        row.ownerName = post.ownerName;
        row.memberCount = post.memberCount;
        row.opinionCount = post.opinionCount;
        row.mailIndex = post.mailIndex;
        if (post.isNew) {
            row.badgeFlag = QStringLiteral("1");
            row.badge = m_badge;
        }
        row.photoPath = m_photos.fileFor(post);
        if (row.photoPath.isEmpty()) {
            row.photoLoaded = true;
            row.defaultPhoto = m_defaultPhoto;
        }
        rows.push_back(std::move(row));
    }
    m_rows = std::move(rows);
    ++m_generation;
    m_scrollHeight = reply->scrollHeight();
    return true;
}

void PostListModel::loadPhotos(int first, int end) {
    end = qMin(end, int(m_rows.size()));
    for (int i = qMax(0, first); i < end; ++i) {
        CPostRow& row = m_rows[std::size_t(i)];
        if (row.photoLoaded)
            continue;
        row.photoLoaded = true;
        row.photo = PostPhotoFiles::boxPicture(row.photoPath, &row.photoWidth, &row.photoHeight);
        if (row.photo.isNull())
            row.defaultPhoto = m_defaultPhoto;
    }
}

bool PostListModel::takeDecoded(int generation, int row, const QImage& photo, int storedWidth,
                                int height) {
    if (generation != m_generation || row < 0 || row >= int(m_rows.size()))
        return false;
    CPostRow& target = m_rows[std::size_t(row)];
    if (target.photoLoaded)
        return false;
    target.photoLoaded = true;
    target.photo = photo;
    target.photoWidth = storedWidth;
    target.photoHeight = height;
    if (photo.isNull())
        target.defaultPhoto = m_defaultPhoto;
    return true;
}

int PostListModel::rowAt(int documentY) const {
    // Beyond the last row's reach no row can hold the point.
    const qint64 offset = qint64(documentY) - FirstRowTop;
    if (offset <= 0 || offset % RowHeight == 0)
        return -1;
    const qint64 index = offset / RowHeight;
    return index < qint64(m_rows.size()) ? int(index) : -1;
}

std::pair<int, int> PostListModel::rowsIn(int top, int bottom) const {
    const int count = int(m_rows.size());
    const int first = qBound(0, (top - FirstRowTop) / RowHeight, count);
    int end = first;
    while (end < count && rowTop(end) < bottom)
        ++end;
    return {first, end};
}

} // namespace orvix
