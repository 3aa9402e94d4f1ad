#pragma once

#include <QByteArray>
#include <QString>

#include <optional>

namespace orvix::server {

class BoardStore;
class ServerContext;

// Adds a post to the board as the operator (and the demo data) does: a title, and optionally a
// photo, stored in the owner's mailbox folder, and a content as the post's text.
class PostRegistration {
public:
    PostRegistration(ServerContext& context, BoardStore& store);

    // The name of a post photo: "post_<16 hex digits of its SHA-1>.jpg". Clients keep photos by
    // name, so a different photo never takes the name of one they already hold.
    static QString photoName(const QByteArray& jpeg);

    // A title is one line of at most 200 characters, not empty and without control characters.
    static bool isAcceptableTitle(const QString& title, QString* reason);

    // Adds the post (the photo first, written whole) and gives its mail index.
    std::optional<qint64> add(qint64 ownerMemberNo, const QString& title, const QByteArray& jpeg,
                              std::optional<qint64> contentNo, qint64 createdAt, QString* error);

private:
    ServerContext& m_context;
    BoardStore& m_store;
};

} // namespace orvix::server
