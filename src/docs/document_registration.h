#pragma once

#include <QByteArray>
#include <QString>

namespace orvix {

// The upload and registration of one document: where the file goes on the image server, the
// form body that registers it with "/android/adddocument.php", and what the reply means.
class DocumentRegistration {
public:
    static inline const QByteArray Script = QByteArrayLiteral("/android/adddocument.php");

    // What the registration reply says.
    enum class Outcome {
        SendError,   // first field not "1": "전송 에러", the dialog stays open
        Overwritten, // "1</>2": a document of that name was replaced; the dialog ends with OK
        Uploaded,    // "1</>1": registered; the dialog ends with OK
        Unknown,     // anything else: the dialog stays open
    };

    // "<member number><seconds since 1970 as a 32-bit decimal>.<extension>".
    static QString targetName(const QString& memberNumber, qint64 secondsSince1970,
                              const QString& upperExtension);
    // "document/<member number>".
    static QString targetFolder(const QString& memberNumber);
    // "http://<image server>/image/<folder>/<name>": where the uploaded file can be fetched.
    static QString fileAddress(const QString& imageServer, const QString& folder,
                               const QString& name);

    // "deviceid=%s&path=%s&comment=%s&ext=%s&filename=%s", values as typed except that an "&"
    // in any of them becomes a blank, so no value can split the form.
    static QString body(const QString& deviceId, const QString& path, const QString& comment,
                        const QString& upperExtension, const QString& fileName);

    static Outcome outcomeOf(const QString& replyText);
    // The message box text of an outcome; empty for Unknown, which shows nothing.
    static QString message(Outcome outcome);
};

} // namespace orvix
