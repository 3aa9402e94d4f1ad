#pragma once

#include "app/ui_text.h"

#include <QString>
#include <QStringList>

#include <optional>

namespace orvix {

// What the store form holds and checks: the five typed values, the store photo and up to six
// information photos. The form view fills it from its controls; the rules live here.
class StoreForm {
public:
    static constexpr int MaxInfoPhotos = 6;
    static inline const QByteArray Script = QByteArrayLiteral("/android/pcaddstore.php");
    // The photo choosers' filter and initial name.
    static inline const QString PhotoFilter =
        QStringLiteral("JPG(*.JPG)|*.JPG|PNG(*.PNG)|*.PNG|GIF(*.GIF)|*.GIF|ALL Files(*.*)|*.*||");
    static inline const QString PhotoInitialName = QStringLiteral("*.JPG");
    // Shown when a registration is refused.
    static inline const QString RefusedMessage = QStringLiteral("php error");

    QString storeName;
    QString phone;
    QString title;
    QString kind;
    QString owner;

    // Whether a path names a photo the store photo may be: its extension, upper-cased, is JPG,
    // PNG or GIF.
    static bool isPhotoPath(const QString& path);

    // Takes the store photo when its extension is allowed (keeping the full path and the file
    // name); returns false and changes nothing otherwise.
    bool setStorePhoto(const QString& path);
    const QString& storePhotoPath() const { return m_storePhotoPath; }
    const QString& storePhotoName() const { return m_storePhotoName; }

    // Replaces the information photos by a new selection, in the order given. Only the first
    // six fit the form; returns false when more were given (and the rest were left out).
    bool setInfoPhotos(const QStringList& paths);
    const QStringList& infoPhotos() const { return m_infoPhotos; }

    // The label row of the first field that is missing, in the order: store name, phone number,
    // title, kind, owner, store photo, information photos; nothing when the form is complete.
    std::optional<UiRow> firstMissing() const;

    // The registration body: "deviceid=%s&storename=%s&storetel=%s&storestyle=%s&ceoname=%s&
    // title=%s&addkey=%s&infophoto=%d". Typed values go as typed, except that an "&" becomes a
    // blank, so no value can split the form.
    QString requestBody(const QString& deviceId, const QString& registrationKey) const;

    // The registered store's number from the reply "1</>1</>STOREINDEX"; nothing when the first
    // field is not "1" or the index is not a positive number (the registration failed).
    static std::optional<int> storeIndexOf(const QString& replyText);

    // Empties every value and photo.
    void clear();

    // The notice that only six information photos were kept, in a text column.
    static QString tooManyPhotosMessage(int column);

private:
    QString m_storePhotoPath;
    QString m_storePhotoName;
    QStringList m_infoPhotos;
};

} // namespace orvix
