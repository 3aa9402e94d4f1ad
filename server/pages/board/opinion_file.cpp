#include "server/pages/board/opinion_file.h"

#include "server/core/html.h"

#include <QRegularExpression>
#include <QStringList>

namespace orvix::server {

namespace {

// The leading decimal number of a field (0 without one).
qint64 leadingNumber(const QString& field) {
    static const QRegularExpression number(QStringLiteral(R"(^\s*([+-]?\d{1,12}))"));
    const auto match = number.match(field);
    return match.hasMatch() ? match.captured(1).toLongLong() : 0;
}

} // namespace

std::optional<OpinionFile> OpinionFile::parse(const QByteArray& bytes) {
    const QStringList fields = QString::fromUtf8(bytes).split(QStringLiteral("</>"));
    if (fields.size() < 7)
        return std::nullopt;
    OpinionFile opinion;
    opinion.italic = leadingNumber(fields[0]) != 0;
    opinion.bold = leadingNumber(fields[1]) != 0;
    const QString alignment = fields[2].trimmed().toLower();
    if (alignment == QLatin1String("center") || alignment == QLatin1String("right"))
        opinion.alignment = alignment;
    opinion.textColour = quint32(leadingNumber(fields[3])) & 0xffffffu;
    opinion.backgroundColour = quint32(leadingNumber(fields[4])) & 0xffffffu;
    opinion.size = int(qBound(qint64(1), leadingNumber(fields[5]), qint64(200)));
    opinion.text = fields.mid(6).join(QStringLiteral("</>"));
    return opinion;
}

QByteArray OpinionFile::toBytes() const {
    QString record = QStringLiteral("%1</>%2</>%3</>%4</>%5</>%6</>%7")
                         .arg(italic ? 1 : 0)
                         .arg(bold ? 1 : 0)
                         .arg(alignment)
                         .arg(textColour)
                         .arg(backgroundColour)
                         .arg(size)
                         .arg(text);
    record.replace(u'\n', QStringLiteral("\r\n"));
    return record.toUtf8();
}

QString OpinionFile::clientParagraph() const {
    return QStringLiteral("<p style='font-size:%1px;background-color:%2;color:%3;text-align:%4;"
                          "font-style:%5;font-weight:%6;'>%7</p>")
        .arg(size)
        .arg(colourName(backgroundColour), colourName(textColour), alignment,
             italic ? QStringLiteral("italic") : QStringLiteral("normal"),
             bold ? QStringLiteral("bold") : QStringLiteral("normal"), text);
}

QString OpinionFile::colourName(quint32 colour) {
    const int red = int(colour & 0xff);
    const int green = int((colour >> 8) & 0xff);
    const int blue = int((colour >> 16) & 0xff);
    return QStringLiteral("#%1%2%3")
        .arg(red, 2, 16, QLatin1Char('0'))
        .arg(green, 2, 16, QLatin1Char('0'))
        .arg(blue, 2, 16, QLatin1Char('0'));
}

QString OpinionFile::html() const {
    static const QRegularExpression lineBreak(QStringLiteral("\r*\n|\r"));
    QString body = Html::escape(text);
    body.replace(lineBreak, QStringLiteral("<br>"));
    return QStringLiteral("<p class=\"opinion\" style=\"font-size:%1px;background-color:%2;"
                          "color:%3;text-align:%4;font-style:%5;font-weight:%6;\">%7</p>")
        .arg(size)
        .arg(colourName(backgroundColour), colourName(textColour), alignment,
             italic ? QStringLiteral("italic") : QStringLiteral("normal"),
             bold ? QStringLiteral("bold") : QStringLiteral("normal"), body);
}

} // namespace orvix::server
