#include "server/http/form_body.h"

namespace orvix::server {

FormBody FormBody::parse(const QByteArray& body) {
    FormBody form;
    qsizetype start = 0;
    while (start <= body.size()) {
        qsizetype end = body.indexOf('&', start);
        if (end < 0)
            end = body.size();
        const QByteArrayView pair(body.constData() + start, end - start);
        if (!pair.isEmpty()) {
            const qsizetype equals = pair.indexOf('=');
            if (equals < 0) {
                form.m_pairs.append({QString::fromUtf8(pair), QString()});
            } else {
                form.m_pairs.append({QString::fromUtf8(pair.first(equals)),
                                     QString::fromUtf8(pair.sliced(equals + 1))});
            }
        }
        start = end + 1;
    }
    return form;
}

QString FormBody::value(QStringView name) const {
    for (const auto& [key, value] : m_pairs) {
        if (key == name)
            return value;
    }
    return {};
}

bool FormBody::contains(QStringView name) const {
    for (const auto& pair : m_pairs) {
        if (pair.first == name)
            return true;
    }
    return false;
}

} // namespace orvix::server
