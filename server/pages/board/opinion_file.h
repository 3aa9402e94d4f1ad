#pragma once

#include <QByteArray>
#include <QString>

#include <optional>

namespace orvix::server {

// An opinion's ".tml" file, as the opinion dialog uploads it to the writer's mailbox folder: one
// UTF-8 record "italic</>bold</>alignment</>text colour</>background colour</>size</>text",
// colours as red + 256 × green + 65536 × blue, the text with "<" and ">" already turned into
// "[" and "]" and its line breaks written as CR CR LF.
struct OpinionFile {
    bool italic = false;
    bool bold = false;
    QString alignment = QStringLiteral("left");
    quint32 textColour = 0;
    quint32 backgroundColour = 0xffffff;
    int size = 16;
    QString text;

    // Nothing when the bytes are no such record (fewer than seven fields).
    static std::optional<OpinionFile> parse(const QByteArray& bytes);

    // The opinion as a styled paragraph for a page: the text escaped, line breaks as <br>,
    // every style value one of its kind.
    QString html() const;

    // The record as the opinion dialog writes it: UTF-8, each line feed written as CR LF.
    QByteArray toBytes() const;
    // The paragraph that the opinion dialog registers with the opinion.
    QString clientParagraph() const;

    // "#rrggbb" of a colour number.
    static QString colourName(quint32 colour);
};

} // namespace orvix::server
