#pragma once

#include <QList>
#include <QString>
#include <QVariant>

#include <optional>

namespace orvix::server {

class Database;

// PC use of the service: the approvals that the member's phone gives or refuses, and the PC
// sessions (device ids) that admitted logins open.
//
// A correct PC login looks at the member's open approval: none opens a pending one, a pending
// one keeps the PC waiting, an approved one is used up by this login, which gets a new session,
// and a refused one is reported once and closed, so that a later login asks the phone again.
class PcAccessStore {
public:
    enum class Approval { Pending = 0, Approved = 1, Refused = 2, Used = 3, RefusalReported = 4 };

    struct Admission {
        enum class Outcome { Pending, Refused, Admitted, Failed };
        Outcome outcome = Outcome::Failed;
        QString deviceId; // set when admitted
    };

    explicit PcAccessStore(Database& db);

    // What a login with a correct password from the address gets. With autoApprove the login is
    // admitted at once (an open approval, whatever its state, is closed with it). An admitted
    // session remembers the address (PeerAddress::text) it logged in from.
    Admission admit(qint64 memberNo, bool autoApprove, const QString& address = {});

    // The phone's answer to the member's open approval. When nothing is open, the answer is kept
    // for the next login. Returns false on a database failure.
    bool decide(qint64 memberNo, bool approve);

    // Ends every open PC session of the member; returns how many ended, -1 on failure.
    int endSessions(qint64 memberNo, const QString& reason);

    // Ends one session. Returns false when the device id names no open session.
    bool closeSession(const QString& deviceId, const QString& reason);

    // The member that an open session belongs to; nothing for unknown or ended device ids.
    std::optional<qint64> sessionMember(const QString& deviceId);

    // The members with an open session that logged in from the address, in order; empty on a
    // database failure.
    QList<qint64> sessionMembersAt(const QString& address, bool* failed = nullptr);

    // Open sessions of a member.
    int openSessionCount(qint64 memberNo);

    // The state of the member's open approval, if any (for tests and the admin commands).
    std::optional<Approval> openApproval(qint64 memberNo);

    // A new device id: 128 random bits as 32 lower-case hexadecimal digits.
    static QString newDeviceId();

private:
    struct OpenApproval {
        qint64 approvalNo = 0;
        Approval state = Approval::Pending;
    };
    std::optional<OpenApproval> findOpen(qint64 memberNo, bool* failed);
    bool closeApproval(qint64 approvalNo, Approval finalState, qint64 now);
    bool insertApproval(qint64 memberNo, Approval state, qint64 now);
    QString openSession(qint64 memberNo, std::optional<qint64> approvalNo, const QString& address,
                        qint64 now);
    // Ends the open sessions whose column (member_no or device_id) holds key; returns how
    // many ended, -1 on failure.
    int endOpenSessions(QLatin1String column, const QVariant& key, const QString& reason);

    Database& m_db;
};

} // namespace orvix::server
