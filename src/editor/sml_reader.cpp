#include "editor/sml_reader.h"

#include "editor/content_names.h"

#include <QFile>

#include <algorithm>
#include <cmath>
#include <limits>

namespace orvix {

namespace {

const QString kRecord = QStringLiteral("</>");
const QString kField = QStringLiteral("<@>");

QString fieldAt(const QStringList& fields, int number) {
    return fields.value(number - 1);
}

bool isSpace(QChar c) {
    return c == u' ' || c == u'\t' || c == u'\n' || c == u'\v' || c == u'\f' || c == u'\r';
}

bool isDigit(QStringView text, qsizetype at) {
    return at < text.size() && text[at] >= u'0' && text[at] <= u'9';
}

QColor colourAt(const QStringList& fields, int first) {
    // Each part is kept to its low eight bits, as a colour's bytes take it.
    return QColor(SmlReader::number(fieldAt(fields, first)) & 0xff,
                  SmlReader::number(fieldAt(fields, first + 1)) & 0xff,
                  SmlReader::number(fieldAt(fields, first + 2)) & 0xff);
}

} // namespace

SmlReader::SmlReader(QString workFolder, PhotoFetcher fetchPhoto)
    : m_workFolder(std::move(workFolder))
    , m_fetchPhoto(std::move(fetchPhoto)) {}

int SmlReader::number(QStringView text) {
    qsizetype at = 0;
    while (at < text.size() && isSpace(text[at]))
        ++at;
    const qsizetype start = at;
    if (at < text.size() && (text[at] == u'+' || text[at] == u'-'))
        ++at;
    const qsizetype digitsStart = at;
    while (isDigit(text, at))
        ++at;
    bool digits = at > digitsStart;
    if (at < text.size() && text[at] == u'.') {
        const qsizetype fraction = at + 1;
        qsizetype end = fraction;
        while (isDigit(text, end))
            ++end;
        if (digits || end > fraction) {
            digits = true;
            at = end;
        }
    }
    if (!digits)
        return 0;
    // An exponent counts only when digits follow it.
    if (at < text.size() && (text[at] == u'e' || text[at] == u'E')) {
        qsizetype exponent = at + 1;
        if (exponent < text.size() && (text[exponent] == u'+' || text[exponent] == u'-'))
            ++exponent;
        if (isDigit(text, exponent)) {
            while (isDigit(text, exponent))
                ++exponent;
            at = exponent;
        }
    }
    const double value = text.mid(start, at - start).toString().toDouble();
    if (std::isnan(value))
        return 0;
    constexpr double high = std::numeric_limits<int>::max();
    constexpr double low = -high; // so that every number read has an absolute value
    if (value >= high)
        return std::numeric_limits<int>::max();
    if (value <= low)
        return -std::numeric_limits<int>::max();
    return int(std::trunc(value));
}

SmlReader::Result SmlReader::readFile(const QString& path, const Progress& progress) const {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly) || file.size() > MaxFileSize)
        return Result{};
    return read(file.readAll(), progress);
}

SmlReader::Result SmlReader::read(const QByteArray& bytes, const Progress& progress) const {
    Result result;
    const QStringList pieces = QString::fromUtf8(bytes).split(kRecord);
    if (pieces.value(0) != u"orvix")
        return result;
    result.recognised = true;
    result.fileName = pieces.value(1);
    result.blockCount = number(pieces.value(2));
    result.title = pieces.value(3);
    if (progress.blockCount)
        progress.blockCount(result.blockCount);

    int handled = 0;
    const int records = std::min(result.blockCount, MaxBlocks);
    for (qsizetype piece = 4; piece < pieces.size() && handled < records; ++piece) {
        const QStringList fields = pieces[piece].split(kField);
        const QString kind = fieldAt(fields, 1).remove(u' ');
        if (progress.blockStarted)
            progress.blockStarted(kind, fieldAt(fields, 2));
        if (kind == u"1") {
            auto block = std::make_unique<CContentBlock>(CContentBlock::Text);
            CContentText& t = *block->text;
            t.size = number(fieldAt(fields, 3));
            t.bold = fieldAt(fields, 4) == u"true";
            t.italic = fieldAt(fields, 5) == u"true";
            t.background = colourAt(fields, 6);
            t.textColour = colourAt(fields, 9);
            const QString alignment = fieldAt(fields, 12);
            t.alignment = alignment == u"1" ? 1 : alignment == u"2" ? 2 : 0;
            const QString link = fieldAt(fields, 13);
            block->link = link == u"0" ? QString() : link;
            t.text = fieldAt(fields, 14).replace(QStringLiteral("<br>"), QStringLiteral("\r\n"));
            block->index = number(fieldAt(fields, 2));
            result.blocks.push_back(std::move(block));
        } else if (kind == u"2") {
            result.blocks.push_back(readPhoto(fields, handled + 1, progress));
        } else if (kind == u"8") {
            auto block = std::make_unique<CContentBlock>(CContentBlock::Document);
            CContentDoc& d = *block->document;
            d.address = fieldAt(fields, 14);
            d.fileName = fieldAt(fields, 15);
            d.baseFontSize = CContentDoc::BaseFontSize;
            const float share =
                float(number(fieldAt(fields, 3))) / float(CContentDoc::BaseFontSize);
            d.sizePercent = int(share * 100.0f);
            d.alignment = number(fieldAt(fields, 12));
            block->index = number(fieldAt(fields, 2));
            result.blocks.push_back(std::move(block));
        } else {
            result.skippedUnknown = true;
        }
        ++handled;
        if (progress.handled)
            progress.handled(handled);
    }
    return result;
}

std::unique_ptr<CContentBlock> SmlReader::readPhoto(const QStringList& fields, int handled,
                                                    const Progress& progress) const {
    auto block = std::make_unique<CContentBlock>(CContentBlock::Photo);
    CContentPhoto& p = *block->photo;
    const QString name = fieldAt(fields, 3);
    p.name = name;
    if (ContentNames::isSafeLocalName(name)) {
        const QString localPath = m_workFolder + u'/' + name;
        if (m_fetchPhoto)
            m_fetchPhoto(name, localPath);
        // A failed fetch leaves whatever was there; a file that is no picture loads as none.
        p.load(localPath);
        if (progress.handled)
            progress.handled(handled);
    }
    const int percent = number(fieldAt(fields, 4));
    p.widthPercent = percent == 0 ? 100 : percent;
    p.alignment = number(fieldAt(fields, 5));
    block->index = number(fieldAt(fields, 2));
    return block;
}

} // namespace orvix
