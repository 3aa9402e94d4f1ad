#include "server/admin/password_input.h"

#include <QFile>
#include <QTextStream>

#include <termios.h>
#include <unistd.h>

namespace orvix::server {

namespace {

// Turns echo off on a terminal for as long as it lives.
class QuietTerminal {
public:
    explicit QuietTerminal(int fd)
        : m_fd(fd) {
        if (m_fd < 0 || !isatty(m_fd) || tcgetattr(m_fd, &m_saved) != 0) {
            m_fd = -1;
            return;
        }
        termios quiet = m_saved;
        quiet.c_lflag &= ~tcflag_t(ECHO);
        tcsetattr(m_fd, TCSAFLUSH, &quiet);
    }
    ~QuietTerminal() {
        if (m_fd >= 0)
            tcsetattr(m_fd, TCSAFLUSH, &m_saved);
    }
    QuietTerminal(const QuietTerminal&) = delete;
    QuietTerminal& operator=(const QuietTerminal&) = delete;

    bool isTerminal() const { return m_fd >= 0; }

private:
    int m_fd;
    termios m_saved{};
};

} // namespace

std::optional<QString> PasswordInput::read(QTextStream& in, QTextStream& err, QString* error) {
    const auto* file = qobject_cast<QFile*>(in.device());
    QuietTerminal terminal(file ? file->handle() : -1);
    if (terminal.isTerminal()) {
        err << "password: ";
        err.flush();
    }
    QString line;
    const bool got = in.readLineInto(&line);
    if (terminal.isTerminal()) {
        err << '\n';
        err.flush();
    }
    if (!got || line.isEmpty()) {
        if (error)
            *error = QStringLiteral("no password on standard input");
        return std::nullopt;
    }
    if (line.endsWith(u'\r'))
        line.chop(1);
    return line;
}

} // namespace orvix::server
