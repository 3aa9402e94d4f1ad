#pragma once

#include <QString>

#include <array>

namespace orvix {

// The server's answer to a poll. Token 1 "0" is a failure; token 2 "-1" says the member's PC
// access has ended, "0" that nothing is new; anything else carries one record of eleven fields
// (tokens 3 to 13). Tokens after the record are ignored.
struct PollReply {
    enum class Status { Failure, AccessEnded, Nothing, Record };

    Status status = Status::Failure;
    std::array<QString, 11> fields; // record fields 1 to 11 at indices 0 to 10

    // Record field n (1 to 11).
    const QString& field(int n) const { return fields[std::size_t(n - 1)]; }
    const QString& roomNumber() const { return field(2); }
    const QString& content() const { return field(5); }
    const QString& kind() const { return field(6); }
    const QString& label() const { return field(8); }
    const QString& photoHost() const { return field(11); }
    // The member's own message (written elsewhere): fields 3 and 4 are equal.
    bool isOwn() const { return field(3) == field(4); }

    static PollReply parse(const QString& text);
};

} // namespace orvix
