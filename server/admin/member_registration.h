#pragma once

#include "server/storage/member_store.h"

#include <QByteArray>
#include <QString>

#include <optional>

namespace orvix::server {

class ServerContext;

// Creating members, for the admin command and the demo data: checks the ID and password,
// hashes the password, creates the member with its store, stores the photo.
class MemberRegistration {
public:
    explicit MemberRegistration(ServerContext& context);

    // photoJpeg may be empty (no photo). When the photo cannot be written, the member exists
    // without it and the error says so.
    std::optional<MemberRecord> add(const QString& loginId, const QString& password,
                                    const QString& name, const QByteArray& photoJpeg,
                                    QString* error);

    // An ID or password must reach the server whole inside a form body: not empty, no "&"
    // (the client splits its bodies there), no control characters. The ID also has no blanks
    // around it.
    static bool isUsableId(const QString& loginId, QString* reason);
    static bool isUsablePassword(const QString& password, QString* reason);

    static constexpr int kMaxLength = 100;

private:
    ServerContext& m_context;
};

} // namespace orvix::server
