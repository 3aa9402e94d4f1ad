#pragma once

#include <QString>
#include <QStringView>

#include <optional>

namespace orvix::server {

class Database;

// One registered content: the HTML a member built in the editor (style "replayinfo") or an
// opinion (style "text"), the name of its content file in the member's mailbox folder (without
// ".sml"), its title and its photo list ("name=size,...").
struct ContentRecord {
    qint64 contentNo = 0;
    qint64 memberNo = 0;
    QString style;
    QString fileName;
    QString title;
    QString html;
    QString imageFiles;
    qint64 clientTime = 0;
    qint64 createdAt = 0;
};

// The registered contents (table `contents`) and which of them is a member's profile or a
// store's content.
//
// A content is named to the client by a token, the second field of the registration reply,
// which the client hands back unchanged to the scripts that attach the content somewhere
// (profile, store, post). The token is the content number in decimal.
class ContentStore {
public:
    explicit ContentStore(Database& db);

    // Stores a new content; its number, or nothing when the database failed.
    std::optional<qint64> add(const ContentRecord& content);

    // The content of a number or a token; nothing when there is none. *failed tells a database
    // failure apart.
    std::optional<ContentRecord> find(qint64 contentNo, bool* failed = nullptr);
    std::optional<ContentRecord> findByToken(QStringView token, bool* failed = nullptr);

    static QString tokenOf(qint64 contentNo);
    // The content number a token names: plain decimal digits, no sign or blanks, above 0.
    static std::optional<qint64> contentNoOf(QStringView token);

    // Makes a content the member's profile / the store's content; false on a database failure
    // or when there is no such member / store.
    bool setProfile(qint64 memberNo, qint64 contentNo);
    bool setStoreContent(qint64 storeNo, qint64 contentNo);
    // Replaces the HTML of a content; false on a database failure or when there is none.
    bool updateHtml(qint64 contentNo, const QString& html);

    // The profile content of a member / the content of a store: nothing when none is set.
    std::optional<qint64> profileOf(qint64 memberNo, bool* failed = nullptr);
    std::optional<qint64> storeContentOf(qint64 storeNo, bool* failed = nullptr);

private:
    bool setColumn(const QString& sql, qint64 key, qint64 contentNo);
    std::optional<qint64> readColumn(const QString& sql, qint64 key, bool* failed);

    Database& m_db;
};

} // namespace orvix::server
