#pragma once

#include <QString>
#include <QStringList>

#include <vector>

namespace orvix {

// The scaled copies a registered store's photos get in the working folder:
// - the store photo, fitted to 1000 pixels wide when it is wider than 1500, as
//   "storephoto/<store index as nine digits>.jpg" (narrower ones are not copied);
// - its thumbnail, fitted to 300 wide when wider than 300, as "storephoto/s<same name>";
// - each information photo i, fitted to 1000 wide when wider than 1000, as
//   "mailbox/<member number as ten digits>/<registration key><i>.jpg".
// Widths are stored widths (a multiple of 4). The numbers come from the server's reply, so they
// are written as numbers: no reply can put a copy outside these folders.
class StorePhotoCopies {
public:
    struct Copy {
        QString source;
        QString target;
        int threshold = 0; // copied only when the stored width is above this
        int fitWidth = 0;  // the width it is fitted to
    };

    static QString storePhotoName(int storeIndex);
    static QString thumbnailName(int storeIndex);
    static QString storePhotoFolder(const QString& workFolder);
    static QString mailboxFolder(const QString& workFolder, int memberNumber);
    static QString infoPhotoName(const QString& registrationKey, int index);

    // The copies to make, in order: store photo, thumbnail, information photos.
    static std::vector<Copy> plan(const QString& workFolder, int storeIndex, int memberNumber,
                                  const QString& registrationKey, const QString& storePhotoPath,
                                  const QStringList& infoPhotos);

    // Creates the storephoto and mailbox folders and makes the copies. A photo that cannot be
    // loaded or saved is left out without a word. Returns the files written.
    static QStringList make(const QString& workFolder, int memberNumber,
                            const std::vector<Copy>& copies);
};

} // namespace orvix
