#pragma once

#include "platform/environment.h"

namespace orvix {

// The environment of the running system: the locale's territory, QStandardPaths' Documents
// folder and the system code page of QStringConverter.
class SystemEnvironment final : public Environment {
public:
    QString countryIsoCode() const override;
    QString documentsFolder() const override;
    QByteArray toSystemCodePage(const QString& text) const override;
    QString fromSystemCodePage(const QByteArray& bytes) const override;
    QDateTime currentDateTime() const override;
};

} // namespace orvix
