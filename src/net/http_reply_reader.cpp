#include "net/http_reply_reader.h"

namespace orvix {

namespace {

bool isBlank(char c) {
    return c == ' ' || c == '\t';
}

QByteArrayView trimmed(QByteArrayView text) {
    while (!text.isEmpty() && (isBlank(text.front()) || text.front() == '\r'))
        text = text.sliced(1);
    while (!text.isEmpty() && (isBlank(text.back()) || text.back() == '\r'))
        text.chop(1);
    return text;
}

} // namespace

HttpReplyReader::HttpReplyReader(qsizetype cap)
    : m_cap(cap) {}

HttpReplyReader::State HttpReplyReader::append(QByteArrayView bytes) {
    if (m_state != State::Incomplete)
        return m_state;
    m_data.append(bytes);
    if (m_bodyStart < 0) {
        if (!findHeaderEnd())
            return m_data.size() > m_cap ? reject(Rejection::TooLarge) : m_state;
        if (!readContentLength())
            return reject(Rejection::NoContentLength);
        if (m_announced > m_cap - m_bodyStart)
            return reject(Rejection::TooLarge);
    }
    if (m_data.size() - m_bodyStart >= m_announced) {
        m_data.truncate(m_bodyStart + m_announced);
        m_state = State::Complete;
    }
    return m_state;
}

HttpReplyReader::State HttpReplyReader::finish() {
    if (m_state == State::Incomplete)
        return reject(Rejection::Truncated);
    return m_state;
}

QByteArray HttpReplyReader::body() const {
    if (m_state != State::Complete)
        return QByteArray();
    return m_data.mid(m_bodyStart);
}

QString HttpReplyReader::text() const {
    if (m_state != State::Complete)
        return QString();
    QByteArrayView bytes = QByteArrayView(m_data).sliced(m_bodyStart);
    const qsizetype zero = bytes.indexOf('\0');
    if (zero >= 0)
        bytes.truncate(zero);
    return QString::fromUtf8(bytes);
}

HttpReplyReader::State HttpReplyReader::reject(Rejection why) {
    m_state = State::Rejected;
    m_rejection = why;
    m_data.clear();
    m_data.squeeze();
    return m_state;
}

// The header block ends with the first empty line: a line feed followed by another line feed,
// with or without a carriage return in between.
bool HttpReplyReader::findHeaderEnd() {
    qsizetype i = m_scanned;
    const qsizetype size = m_data.size();
    for (; i < size; ++i) {
        if (m_data[i] != '\n')
            continue;
        if (i + 1 < size && m_data[i + 1] == '\n') {
            m_bodyStart = i + 2;
            return true;
        }
        if (i + 2 < size && m_data[i + 1] == '\r' && m_data[i + 2] == '\n') {
            m_bodyStart = i + 3;
            return true;
        }
        if (i + 2 >= size)
            break; // the line feed may start the empty line once more bytes arrive
    }
    m_scanned = i;
    return false;
}

// Reads the first Content-Length header line of the header block: its leading decimal digits,
// after optional blanks. A value without digits counts as no Content-Length at all.
bool HttpReplyReader::readContentLength() {
    const QByteArrayView headers = QByteArrayView(m_data).first(m_bodyStart);
    qsizetype lineStart = headers.indexOf('\n');
    while (lineStart >= 0 && lineStart + 1 < headers.size()) {
        ++lineStart;
        qsizetype lineEnd = headers.indexOf('\n', lineStart);
        if (lineEnd < 0)
            lineEnd = headers.size();
        const QByteArrayView line = headers.sliced(lineStart, lineEnd - lineStart);
        const qsizetype colon = line.indexOf(':');
        if (colon > 0 &&
            trimmed(line.first(colon)).compare("Content-Length", Qt::CaseInsensitive) == 0) {
            const QByteArrayView value = trimmed(line.sliced(colon + 1));
            qint64 length = 0;
            qsizetype digits = 0;
            for (; digits < value.size() && value[digits] >= '0' && value[digits] <= '9';
                 ++digits) {
                if (length <= m_cap)
                    length = length * 10 + (value[digits] - '0');
            }
            if (digits == 0)
                return false;
            m_announced = length;
            return true;
        }
        lineStart = lineEnd;
    }
    return false;
}

} // namespace orvix
