#pragma once

#include "platform/environment.h"

namespace orvix {

// An environment for tests with every answer set by the test. The narrow code page is UTF-8
// unless Latin-1 is chosen, which lets a test tell the two conversions apart.
class FixedEnvironment final : public Environment {
public:
    enum class CodePage { Utf8, Latin1 };

    QString country = QStringLiteral("KR");
    QString documents;
    CodePage codePage = CodePage::Utf8;
    QDateTime now = QDateTime(QDate(2026, 12, 6), QTime(9, 5, 7), Qt::UTC);

    QString countryIsoCode() const override { return country; }
    QString documentsFolder() const override { return documents; }
    QByteArray toSystemCodePage(const QString& text) const override {
        return codePage == CodePage::Utf8 ? text.toUtf8() : text.toLatin1();
    }
    QString fromSystemCodePage(const QByteArray& bytes) const override {
        return codePage == CodePage::Utf8 ? QString::fromUtf8(bytes) : QString::fromLatin1(bytes);
    }
    QDateTime currentDateTime() const override { return now; }
};

} // namespace orvix
