#pragma once

#include <QByteArray>
#include <QString>

namespace orvix {

// What the post view knows about the post it shows and how it talks to the server about it:
// the page address, the member's folder, the last opinion written, the last photo uploaded,
// and the request bodies. The view does the sending; this class decides what a reply leads to.
//
// Each request keeps the kind it was sent with (the view remembers it per request), so a reply
// is handled by the kind of its own request even when a later request went out meanwhile.
class PostViewState {
public:
    // What a request was.
    enum Kind {
        ViewedOrInfoUpdate = 3, // opening the post, and the info update after a change
        PhotoRegistration = 4,
        DocumentRegistration = 5,
    };
    // What a good or bad reply leads to.
    enum class Next {
        Nothing,
        RequestPostList,     // the list is fetched again
        ReloadAndInfoUpdate, // the page is loaded again, then the info update goes out
        PhpError,            // "php error"; the chain stops
    };

    struct Session {
        QString server;
        QString deviceId;
        QString memberId;
        QString password;
        QString memberNumber;
    };

    static inline const QByteArray kViewedScript = QByteArrayLiteral("/android/orviviewupdate.php");
    static inline const QByteArray kInfoUpdateScript =
        QByteArrayLiteral("/android/orwrtextupdate_new.php");
    static inline const QByteArray kPhotoScript =
        QByteArrayLiteral("/android/upimageorvi_new_pc.php");
    static inline const QByteArray kDocumentScript =
        QByteArrayLiteral("/android/orwritedoc_new.php");
    static inline const QString kPhotoFilter =
        QStringLiteral("JPG(*.JPG)|*.JPG|PNG(*.PNG)|*.PNG|GIF(*.GIF)|*.GIF|ALL Files(*.*)|*.*||");
    static inline const QString kPhotoInitialName = QStringLiteral("*.JPG");
    static inline const QString kPhotoFileError = QStringLiteral("그림 파일의 연결이 에러 입니다.");

    explicit PostViewState(Session session = {});

    void setSession(const Session& session) { m_session = session; }
    const Session& session() const { return m_session; }

    // Opens a post: keeps its mail index, its page address and the member's folder; gives the
    // page address.
    QString open(const QString& mailIndex);
    QString viewedBody() const;
    QString areaListAddress() const;

    // The name the chosen photo gets on the server: member number, time, ".", extension.
    QString nameImage(qint32 time, const QString& extension);
    QString photoRegistrationBody() const;
    // The document's "ADDRESS|FILENAME|COMMENT", blanks for any "&" so that the form field
    // stays whole, and for a "|" in the address or the file name so that the parts stay apart.
    QString documentBody(const QString& address, const QString& fileName,
                         const QString& comment) const;

    void setOpinionInfo(const QString& info) { m_opinionInfo = info; }
    QString infoUpdateBody() const;

    // What the reply to a request of a kind leads to.
    static Next onReply(int kind, const QString& text);

    const QString& mailIndex() const { return m_mailIndex; }
    const QString& pageAddress() const { return m_pageAddress; }
    const QString& folder() const { return m_folder; }
    const QString& imageFile() const { return m_imageFile; }
    const QString& opinionInfo() const { return m_opinionInfo; }

private:
    Session m_session;
    QString m_mailIndex;
    QString m_pageAddress;
    QString m_opinionInfo;
    QString m_folder;
    QString m_imageFile;
};

} // namespace orvix
