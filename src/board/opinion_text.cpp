#include "board/opinion_text.h"

#include <QSaveFile>

namespace orvix {

namespace {

// The text as the paragraph carries it; with breaks, each CR LF becomes <br>.
QString styledParagraph(const QString& text, const OpinionText::Style& style, bool breaks) {
    QString body = OpinionText::neutralised(text);
    body.replace(u'&', u' ');
    if (breaks)
        body.replace(QLatin1String("\r\n"), QLatin1String("<br>"));
    return QStringLiteral("<p style='font-size:%1px;background-color:#%2;color:#%3;text-align:%4;"
                          "font-style:%5;font-weight:%6;'>%7</p>")
        .arg(OpinionText::size(style))
        .arg(OpinionText::hexColour(style.background), OpinionText::hexColour(style.text),
             OpinionText::alignmentWord(style.alignPosition),
             style.italic ? QStringLiteral("italic") : QStringLiteral("normal"),
             style.bold ? QStringLiteral("bold") : QStringLiteral("normal"), body);
}

bool writeWhole(const QString& path, const QByteArray& bytes) {
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    file.write(bytes);
    return file.commit();
}

} // namespace

QString OpinionText::alignmentWord(int position) {
    switch (position) {
    case 1:
        return QStringLiteral("center");
    case 2:
        return QStringLiteral("right");
    default:
        return QStringLiteral("left");
    }
}

QString OpinionText::hexColour(const QColor& colour) {
    return QStringLiteral("%1%2%3")
        .arg(colour.red(), 2, 16, QLatin1Char('0'))
        .arg(colour.green(), 2, 16, QLatin1Char('0'))
        .arg(colour.blue(), 2, 16, QLatin1Char('0'));
}

int OpinionText::colourNumber(const QColor& colour) {
    return colour.red() + 256 * colour.green() + 65536 * colour.blue();
}

QString OpinionText::neutralised(const QString& text) {
    QString out = text;
    out.replace(u'<', u'[');
    out.replace(u'>', u']');
    return out;
}

QByteArray OpinionText::textMode(const QString& text) {
    QByteArray bytes = text.toUtf8();
    bytes.replace("\n", "\r\n");
    return bytes;
}

QByteArray OpinionText::tmlRecord(const QString& text, const Style& style) {
    return textMode(QStringLiteral("%1</>%2</>%3</>%4</>%5</>%6</>")
                        .arg(style.italic ? 1 : 0)
                        .arg(style.bold ? 1 : 0)
                        .arg(alignmentWord(style.alignPosition))
                        .arg(colourNumber(style.text))
                        .arg(colourNumber(style.background))
                        .arg(size(style)) +
                    neutralised(text));
}

QByteArray OpinionText::txtContent(const QString& text) {
    return textMode(neutralised(text));
}

QString OpinionText::paragraph(const QString& text, const Style& style) {
    return styledParagraph(text, style, false);
}

QString OpinionText::previewParagraph(const QString& text, const Style& style) {
    return styledParagraph(text, style, true);
}

bool OpinionText::writeFiles(const QString& folder, const QString& name, const QString& text,
                             const Style& style) {
    if (!writeWhole(folder + u'/' + name + QLatin1String(".tml"), tmlRecord(text, style)))
        return false;
    writeWhole(folder + u'/' + name + QLatin1String(".txt"), txtContent(text));
    return true;
}

} // namespace orvix
