#pragma once

#include <QString>
#include <QStringView>

namespace orvix::server {

class DataFolder;

// Where contents live in the image tree: a content file "<file name>.sml" and its photos in
// the mailbox folder of the member who wrote it, "mailbox/<member number, ten digits>/".
//
// A member's profile and a store's content are downloaded under fixed names in the member's
// mailbox folder: "mem<member number, twelve digits>.sml" and "st<store number, nine
// digits>.sml". Publishing a content under such a name makes that name a symbolic link to the
// content file in the same folder. So the fixed name always returns the latest upload of the
// content file, also when the upload port finishes storing it only after the registration has
// been answered, and the content file itself is never copied.
class ContentFiles {
public:
    explicit ContentFiles(const DataFolder& folder);

    static QString mailboxFolder(qint64 mailboxNo); // "mailbox/0000000012"
    static QString profileName(qint64 memberNo);    // "mem000000000012.sml"
    static QString storeName(qint64 storeNo);       // "st000000003.sml"

    // Whether a content's file name (without ".sml") can name a file in a mailbox folder: not
    // empty, no path separator, no "..", no control character.
    static bool isContentName(QStringView fileName);

    // The absolute path of a file in a mailbox folder.
    QString pathOf(qint64 mailboxNo, const QString& name) const;

    // Makes publishedName in the mailbox folder return the content file "<fileName>.sml" of the
    // same folder. The name is replaced in one step (a link made in the staging folder and
    // renamed into place), so a download sees either the old or the new content, never none.
    // Nothing to do when both names are the same file.
    bool publish(qint64 mailboxNo, const QString& fileName, const QString& publishedName,
                 QString* error) const;

private:
    const DataFolder& m_folder;
};

} // namespace orvix::server
