#pragma once

#include <QString>
#include <QStringList>

namespace orvix::server {

// A reply body made of fields separated by the whole marker "</>". An empty field keeps its
// place: {"1", "", "2"} gives "1</></>2".
class ReplyBuilder {
public:
    static inline const QString kSeparator = QStringLiteral("</>");

    ReplyBuilder() = default;
    ReplyBuilder(std::initializer_list<QString> fields)
        : m_fields(fields) {}

    ReplyBuilder& add(const QString& field) {
        m_fields.append(field);
        return *this;
    }
    ReplyBuilder& add(qint64 number) { return add(QString::number(number)); }

    QString text() const { return m_fields.join(kSeparator); }

private:
    QStringList m_fields;
};

} // namespace orvix::server
