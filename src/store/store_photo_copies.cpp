#include "store/store_photo_copies.h"

#include "imaging/dib_picture.h"
#include "imaging/fit_to_width.h"

#include <QDir>

namespace orvix {

QString StorePhotoCopies::storePhotoName(int storeIndex) {
    return QString::asprintf("%09d.jpg", storeIndex);
}

QString StorePhotoCopies::thumbnailName(int storeIndex) {
    return QLatin1Char('s') + storePhotoName(storeIndex);
}

QString StorePhotoCopies::storePhotoFolder(const QString& workFolder) {
    return workFolder + QStringLiteral("/storephoto");
}

QString StorePhotoCopies::mailboxFolder(const QString& workFolder, int memberNumber) {
    return workFolder + QString::asprintf("/mailbox/%010d", memberNumber);
}

QString StorePhotoCopies::infoPhotoName(const QString& registrationKey, int index) {
    return QStringLiteral("%1%2.jpg").arg(registrationKey).arg(index);
}

std::vector<StorePhotoCopies::Copy> StorePhotoCopies::plan(const QString& workFolder,
                                                           int storeIndex, int memberNumber,
                                                           const QString& registrationKey,
                                                           const QString& storePhotoPath,
                                                           const QStringList& infoPhotos) {
    const QString photos = storePhotoFolder(workFolder);
    std::vector<Copy> copies;
    copies.push_back({storePhotoPath, photos + u'/' + storePhotoName(storeIndex), 1500, 1000});
    copies.push_back({storePhotoPath, photos + u'/' + thumbnailName(storeIndex), 300, 300});
    const QString mailbox = mailboxFolder(workFolder, memberNumber);
    for (int i = 0; i < infoPhotos.size(); ++i)
        copies.push_back(
            {infoPhotos[i], mailbox + u'/' + infoPhotoName(registrationKey, i), 1000, 1000});
    return copies;
}

QStringList StorePhotoCopies::make(const QString& workFolder, int memberNumber,
                                   const std::vector<Copy>& copies) {
    // The store photo folder is created here too: the copies cannot be saved without it.
    QDir().mkpath(storePhotoFolder(workFolder));
    QDir().mkpath(mailboxFolder(workFolder, memberNumber));
    QStringList written;
    for (const Copy& copy : copies) {
        CDibPicture picture;
        if (!picture.Load(copy.source) || picture.storedWidth() <= copy.threshold)
            continue;
        FitToWidth(picture, copy.fitWidth);
        if (picture.SaveAs(copy.target))
            written << copy.target;
    }
    return written;
}

} // namespace orvix
