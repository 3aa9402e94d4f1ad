#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QString>

namespace orvix {

// What the program asks of the machine it runs on: the user's country, the Documents folder,
// the system's narrow code page and the clock.
class Environment {
public:
    virtual ~Environment() = default;

    // Two-letter ISO 3166 code of the user's country, as the system reports it ("KR", "CN", ...),
    // or empty when the system names none.
    virtual QString countryIsoCode() const = 0;

    // The user's Documents folder, without a trailing separator.
    virtual QString documentsFolder() const = 0;

    // Conversions between wide text and the system's narrow code page.
    virtual QByteArray toSystemCodePage(const QString& text) const = 0;
    virtual QString fromSystemCodePage(const QByteArray& bytes) const = 0;

    virtual QDateTime currentDateTime() const = 0;

    // Current time in seconds since 1970 (UTC), cut to the low 32 bits as the server expects.
    qint32 currentTimeSeconds() const;
};

} // namespace orvix
