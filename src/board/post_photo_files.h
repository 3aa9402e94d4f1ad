#pragma once

#include <QString>

#include <QImage>

#include <functional>

namespace orvix {

struct PostListEntry;

// Where the post list keeps the posts' photos: "<name>.jpg" in the working folder, fetched once
// from "http://<photo host>/image/mailbox/<mailbox number, ten digits>/<name>".
//
// The name comes from the server's reply, so it only becomes a file name when it is one plain
// name: no "/" or "\", no "..", no ":" (a drive letter or a stream name), no NUL or other
// control character, not empty and not longer than 200 characters. Any other name gets no file
// and no download; its row shows the default picture.
class PostPhotoFiles {
public:
    // Copies an address into a file; 1 when the file was written (UrlDownload's contract).
    using Download = std::function<int(const QString& address, const QString& path)>;

    PostPhotoFiles(QString workFolder, Download download);

    static bool isSafeName(const QString& name);
    // The local file of a photo name, or an empty text when the name is not safe.
    QString localPath(const QString& name) const;
    // The address the photo is fetched from.
    static QString address(const PostListEntry& post);

    // The photo file of a post: the local file when it can be opened for reading, else first
    // downloaded to it. Empty when the post has no photo ("0") or its name is not safe.
    QString fileFor(const PostListEntry& post) const;

    // Decodes a photo file and draws it as the list shows it: the whole photo stretched into a
    // 100 × 80 box, nearest pixels. A null image when the file does not decode; the photo's
    // stored width and height go to the pointers.
    static QImage boxPicture(const QString& path, int* storedWidth, int* height);

private:
    QString m_workFolder;
    Download m_download;
};

} // namespace orvix
