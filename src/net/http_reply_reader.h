#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

namespace orvix {

// Collects the bytes of one HTTP reply as they arrive, in as many pieces as the network hands
// over, and decides when the reply is whole.
//
// A reply is whole once its header block (ended by the first empty line) and then as many body
// bytes as its Content-Length header announces have arrived; bytes after that are ignored. A
// reply is rejected when it has no readable Content-Length, when headers and body together
// would exceed the cap (a guard against a hostile peer), or when the connection ends before it
// is whole. The status line is not examined, and the body is taken as it is: no chunked
// decoding and no decompression.
class HttpReplyReader {
public:
    enum class State { Incomplete, Complete, Rejected };
    enum class Rejection { None, NoContentLength, TooLarge, Truncated };

    static constexpr qsizetype DefaultCap = 8 * 1024 * 1024;

    explicit HttpReplyReader(qsizetype cap = DefaultCap);

    // Adds received bytes and returns the new state. Once complete or rejected, the reader
    // ignores further bytes.
    State append(QByteArrayView bytes);
    // The connection has ended: an incomplete reply is rejected as truncated.
    State finish();

    State state() const { return m_state; }
    Rejection rejection() const { return m_rejection; }

    // The Content-Length of the reply, once the headers are read (-1 before).
    qint64 announcedLength() const { return m_announced; }
    // The body bytes of a complete reply (exactly the announced length).
    QByteArray body() const;
    // The body of a complete reply as text: the UTF-8 bytes up to the first zero byte.
    QString text() const;

private:
    State reject(Rejection why);
    bool findHeaderEnd();
    bool readContentLength();

    qsizetype m_cap;
    QByteArray m_data;
    qsizetype m_scanned = 0;    // where the search for the empty line resumes
    qsizetype m_bodyStart = -1; // offset of the body, once the header block is complete
    qint64 m_announced = -1;
    State m_state = State::Incomplete;
    Rejection m_rejection = Rejection::None;
};

} // namespace orvix
