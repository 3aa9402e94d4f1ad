#include "editor/sml_writer.h"

#include "editor/content_model.h"

#include <QSaveFile>

#include <cstdlib>

namespace orvix {

namespace {

const QString kSeparator = QStringLiteral("<@>");

QString flag(bool value) {
    return value ? QStringLiteral("true") : QStringLiteral("false");
}

QString colour(const QColor& c) {
    return QString::number(c.red()) + kSeparator + QString::number(c.green()) + kSeparator +
           QString::number(c.blue());
}

QString linkField(const QString& link) {
    return link.isEmpty() ? QStringLiteral("0") : SmlWriter::field(link);
}

QString record(const QStringList& fields) {
    return QStringLiteral("</>") + fields.join(kSeparator);
}

} // namespace

QString SmlWriter::field(QString value) {
    value.replace(QStringLiteral("</>"), QStringLiteral("< />"));
    value.replace(QStringLiteral("<@>"), QStringLiteral("< @>"));
    return value;
}

QString SmlWriter::text(const ContentModel& model) {
    QString out = QStringLiteral("orvix</>") + field(model.fileName) + QStringLiteral("</>") +
                  QString::number(model.blockCount) + QStringLiteral("</>") + field(model.title);
    int index = 0;
    for (const auto& block : model.blocks()) {
        const QString position = QString::number(index++);
        if (const CContentText* t = block->text.get()) {
            QString body = t->text;
            body.replace(QStringLiteral("\r\n"), QStringLiteral("<br>"));
            body.replace(u'&', u' ');
            out += record({QStringLiteral("1"), position,
                           QString::number(std::llabs(qint64(t->size))), flag(t->bold),
                           flag(t->italic), colour(t->background), colour(t->textColour),
                           QString::number(t->alignment), linkField(block->link), field(body)});
        } else if (const CContentPhoto* p = block->photo.get()) {
            out += record({QStringLiteral("2"), position, field(p->name),
                           QString::number(p->widthPercent), QString::number(p->alignment),
                           linkField(block->link)});
        } else if (const CContentDoc* d = block->document.get()) {
            out += record({QStringLiteral("8"), position, QString::number(d->scaledFontSize()),
                           QStringLiteral("false<@>false<@>255<@>255<@>255<@>0<@>0<@>0"),
                           QString::number(d->alignment), QStringLiteral("0"), field(d->address),
                           field(d->fileName)});
        }
    }
    return out;
}

bool SmlWriter::write(const ContentModel& model, const QString& path) {
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    const QByteArray bytes = text(model).toUtf8();
    if (file.write(bytes) != bytes.size())
        return false;
    return file.commit();
}

} // namespace orvix
