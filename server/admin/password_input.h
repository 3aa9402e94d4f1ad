#pragma once

#include <QString>

#include <optional>

class QTextStream;

namespace orvix::server {

// A password given on standard input, so that it never shows in the process list: the first
// line, without its line end (blanks are part of the password). When the input is a terminal,
// a prompt goes to err and the typing is not echoed.
class PasswordInput {
public:
    static std::optional<QString> read(QTextStream& in, QTextStream& err, QString* error);
};

} // namespace orvix::server
