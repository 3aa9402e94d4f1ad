#pragma once

#include <QString>

namespace orvix {

// The steps of saving an opinion: the ".tml" file is uploaded (step 0), then the ".txt" file
// (step 1), then the opinion's paragraph is registered as a content of style "text" (step 2),
// then the registration's answer (its second field, the info) is added to the post (step 3),
// whose acceptance closes the dialog. A reply whose first field is not "1" stops the chain with
// "php error" where it is; saving again starts over from step 0.
class OpinionChain {
public:
    enum class Action {
        None,        // nothing to do (a notice that belongs to no step)
        UploadText,  // upload the ".txt" file
        Register,    // send the content registration
        SendOpinion, // send the opinion to the post
        Close,       // the opinion is on the post: the dialog ends with OK
        PhpError,    // show "php error"; the chain stays where it is
    };

    static inline const QString kPhpError = QStringLiteral("php error");
    static inline const QByteArray kRegistrationScript =
        QByteArrayLiteral("/android/contentadd_new.php");
    static inline const QByteArray kOpinionScript =
        QByteArrayLiteral("/android/orwritetext_android_new.php");

    // Saving starts: the ".tml" upload goes out.
    void start();
    // An upload has finished.
    Action uploadFinished();
    // A reply to the registration or the opinion.
    Action reply(const QString& text);

    int step() const { return m_step; }
    const QString& info() const { return m_info; }

    static QString registrationBody(const QString& deviceId, const QString& html,
                                    const QString& name, qint32 time);
    static QString opinionBody(const QString& deviceId, const QString& mailIndex,
                               const QString& info);
    // The base name of the two files: the member number and the time, run together.
    static QString fileName(const QString& memberNumber, qint32 time);
    // The member's folder on the server: "mailbox/<member number, ten digits>".
    static QString mailboxFolder(const QString& memberNumber);

private:
    int m_step = 0;
    QString m_info;
};

} // namespace orvix
