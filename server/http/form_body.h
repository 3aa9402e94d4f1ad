#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringView>

#include <utility>

namespace orvix::server {

// The fields of a form request body as the client writes them: pairs joined by "&", each split
// at its first "=". The client inserts values as typed, so nothing is decoded: no percent
// escapes, no "+" for a space; the bytes are UTF-8 text. A value may hold "=", "<" or "/";
// it cannot hold "&", which the client replaces by a space in free text.
class FormBody {
public:
    static FormBody parse(const QByteArray& body);

    // The value of the first pair with this name; empty when there is none.
    QString value(QStringView name) const;
    bool contains(QStringView name) const;

    const QList<std::pair<QString, QString>>& pairs() const { return m_pairs; }

private:
    QList<std::pair<QString, QString>> m_pairs;
};

} // namespace orvix::server
