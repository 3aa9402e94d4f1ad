#pragma once

#include <QByteArray>
#include <QString>

namespace orvix {

// The registration of an uploaded document (the folder and name of the upload are
// DocumentFile's): the file's web address, the form body that registers it with
// "/android/adddocument.php", and what the reply means.
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
