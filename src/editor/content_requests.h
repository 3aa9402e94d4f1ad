#pragma once

#include <QByteArray>
#include <QString>

namespace orvix {

// The form requests of a content's upload. Values go into the bodies as typed, so none of them
// may carry "&": it would split its field. Each "&" becomes a blank, and the title, which the
// server keeps and pages show, gets "<" → "[" and ">" → "]" as well.
class ContentRequests {
public:
    static inline const QByteArray Registration = QByteArrayLiteral("/android/contentadd_new.php");
    static inline const QByteArray PostRegistration =
        QByteArrayLiteral("/android/orwriteinfo_android.php");
    static inline const QByteArray PostTextUpdate =
        QByteArrayLiteral("/android/orwrtextupdate_new.php");
    static inline const QByteArray ProfileUpdate = QByteArrayLiteral("/android/setmyinfo.php");
    static inline const QByteArray StoreUpdate = QByteArrayLiteral("/android/updatestoreinfo.php");

    // "deviceid=%s&style=%s&content=%s&file=%s&idate=%d&title=%s&imagefile=%s"
    static QString registration(const QString& deviceId, const QString& style, const QString& html,
                                const QString& fileName, qint32 time, const QString& title,
                                const QString& photoList);
    // "deviceid=%s&mailidx=%s&info=%s": post registration and post text update.
    static QString postInfo(const QString& deviceId, const QString& mailIndex, const QString& info);
    // "deviceid=%s&info=%s": profile update and store update.
    static QString info(const QString& deviceId, const QString& info);

    // A value for a body: each "&" a blank.
    static QString value(QString text);
};

} // namespace orvix
