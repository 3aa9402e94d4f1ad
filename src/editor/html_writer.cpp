#include "editor/html_writer.h"

#include "editor/content_model.h"
#include "editor/content_names.h"

#include <QSaveFile>

#include <cstdlib>

namespace orvix {

namespace {

QString alignmentWord(int alignment) {
    switch (alignment) {
    case 1:
        return QStringLiteral("center");
    case 2:
        return QStringLiteral("right");
    default:
        return QStringLiteral("left");
    }
}

QString hexColour(const QColor& c) {
    return QStringLiteral("#%1%2%3")
        .arg(c.red(), 2, 16, QLatin1Char('0'))
        .arg(c.green(), 2, 16, QLatin1Char('0'))
        .arg(c.blue(), 2, 16, QLatin1Char('0'));
}

QString percentEncoded(const QString& value, QStringView alsoEncoded) {
    QString out;
    out.reserve(value.size());
    for (QChar c : value) {
        const char16_t u = c.unicode();
        if (u < 0x20 || u == 0x7f || u == u' ' || u == u'"' || u == u'\'' || u == u'<' ||
            u == u'>' || u == u'&' || alsoEncoded.contains(c)) {
            out += QStringLiteral("%%1").arg(int(u), 2, 16, QLatin1Char('0')).toUpper();
        } else {
            out += c;
        }
    }
    return out;
}

// The text paragraph both forms share; only the size's unit differs.
QString textParagraph(const CContentText& t, const QString& sizeUnit, const QString& open,
                      const QString& close) {
    return QStringLiteral("%1<p style='font-size:%2%3;background-color:%4;color:%5;text-align:%6;"
                          "font-style:%7;font-weight:%8;'>%9</p>")
               .arg(open, QString::number(std::llabs(qint64(t.size))), sizeUnit,
                    hexColour(t.background), hexColour(t.textColour), alignmentWord(t.alignment),
                    t.italic ? QStringLiteral("italic") : QStringLiteral("normal"),
                    t.bold ? QStringLiteral("bold") : QStringLiteral("normal"),
                    HtmlWriter::text(t.text)) +
           close + u'\n';
}

QString documentParagraph(const CContentDoc& d, const QString& serverAddress, const QString& open) {
    return QStringLiteral("%1<p style='font-size:%2px;background-color:#ffffff;color:#000000;"
                          "text-align:%3;font-style:normal;font-weight:normal;'>%4<image "
                          "src='http://%5/android/image/icon_txtview.png'></p></a>")
        .arg(open, QString::number(d.scaledFontSize()), alignmentWord(d.alignment),
             HtmlWriter::text(d.fileName), HtmlWriter::address(serverAddress));
}

QString navigateAnchor(const QString& link) {
    return QStringLiteral("<a href='javascript:viewinfo(\"navigate</>%1</>\")'>")
        .arg(HtmlWriter::address(link));
}

QString plainAnchor(const QString& link) {
    return QStringLiteral("<a href='%1'>").arg(HtmlWriter::address(link));
}

} // namespace

QString HtmlWriter::text(const QString& value) {
    QString out = value;
    out.replace(u'<', u'[');
    out.replace(u'>', u']');
    out.replace(u'&', u' ');
    out.replace(QStringLiteral("\r\n"), QStringLiteral("<br>"));
    return out;
}

QString HtmlWriter::address(const QString& value) {
    return percentEncoded(value, {});
}

QString HtmlWriter::localFile(const QString& path) {
    return percentEncoded(path, u"%#?");
}

QString HtmlWriter::exportFragment(ContentModel& model, const Hosts& hosts) {
    QString html;
    const QString images = address(hosts.imageServerAddress);
    const QString folder = address(model.folder);
    int position = 0;
    for (const auto& block : model.blocks()) {
        block->index = position;
        if (const CContentText* t = block->text.get()) {
            const bool linked = !block->link.isEmpty();
            html += textParagraph(*t, QStringLiteral("px"),
                                  linked ? navigateAnchor(block->link) : QString(),
                                  linked ? QStringLiteral("</a>") : QString());
        } else if (CContentPhoto* p = block->photo.get()) {
            p->name = ContentNames::photoServerName(model.fileName, position);
            const QString name = address(p->name);
            const QString open =
                block->link.isEmpty()
                    ? QStringLiteral(
                          "<a href='javascript:viewinfo(\"photoview</>http://%1/image/%2/%3\")'>")
                          .arg(images, folder, name)
                    : navigateAnchor(block->link);
            html += QStringLiteral("%1<p style='text-align:%2'><image width='%3%' "
                                   "src='http://%4/image/%5/%6'></p></a>")
                        .arg(open, alignmentWord(p->alignment), QString::number(p->widthPercent),
                             images, folder, name);
        } else if (const CContentDoc* d = block->document.get()) {
            html += documentParagraph(*d, hosts.serverAddress, navigateAnchor(d->address));
        }
        ++position;
    }
    return html;
}

QString HtmlWriter::previewHead() {
    return QStringLiteral(
        "<!DOCTYPE HTML PUBLIC \"-//W3C//DTD HTML 4.0 Transitional//EN\">\n"
        "<HTML><HEAD><TITLE> 미리보기 </TITLE>\n"
        "<meta http-equiv=\"Content-Type\" content=\"text/html; charset=utf-8\">\n"
        "<meta name=\"viewport\" content=\"width=device-width, initial-scale=1\">\n"
        "</HEAD><BODY>\n");
}

QString HtmlWriter::previewPage(ContentModel& model, const Hosts& hosts) {
    QString page = previewHead();
    int position = 0;
    for (const auto& block : model.blocks()) {
        const bool linked = !block->link.isEmpty();
        if (const CContentText* t = block->text.get()) {
            page += textParagraph(*t, QString(), linked ? plainAnchor(block->link) : QString(),
                                  linked ? QStringLiteral("</a>") : QString());
        } else if (CContentPhoto* p = block->photo.get()) {
            p->name = ContentNames::photoServerName(model.fileName, position);
            page += QStringLiteral("%1<p style='text-align:%2'><image width='%3%' src='%4'></p>%5")
                        .arg(linked ? plainAnchor(block->link) : QString(),
                             alignmentWord(p->alignment), QString::number(p->widthPercent),
                             localFile(p->localPath), linked ? QStringLiteral("</a>") : QString());
        } else if (const CContentDoc* d = block->document.get()) {
            page += documentParagraph(*d, hosts.serverAddress, plainAnchor(d->address));
        }
        ++position;
    }
    return page + previewTail();
}

bool HtmlWriter::writePreviewFile(const QString& path, const QString& page) {
    QString crlf = page;
    crlf.replace(u'\n', QStringLiteral("\r\n"));
    const QByteArray bytes = crlf.toUtf8();
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
        return false;
    return file.commit();
}

} // namespace orvix
