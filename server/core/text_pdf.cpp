#include "server/core/text_pdf.h"

#include <QList>

namespace orvix::server {

namespace {

// A PDF literal string: printable ASCII with "(", ")" and "\" escaped.
QByteArray literal(const QString& text) {
    QByteArray out = "(";
    for (QChar c : text) {
        const char16_t u = c.unicode();
        if (u == u'(' || u == u')' || u == u'\\')
            out += '\\';
        out += (u >= 0x20 && u < 0x7f) ? char(u) : '?';
    }
    return out + ')';
}

} // namespace

QByteArray TextPdf::page(const QString& heading, const QStringList& lines) {
    QByteArray content = "BT\n/F1 20 Tf\n56 770 Td\n" + literal(heading) + " Tj\n/F1 12 Tf\n";
    for (const QString& line : lines)
        content += "0 -22 Td\n" + literal(line) + " Tj\n";
    content += "ET\n";

    const QList<QByteArray> objects = {
        "<< /Type /Catalog /Pages 2 0 R >>",
        "<< /Type /Pages /Kids [3 0 R] /Count 1 >>",
        "<< /Type /Page /Parent 2 0 R /MediaBox [0 0 595 842] "
        "/Resources << /Font << /F1 4 0 R >> >> /Contents 5 0 R >>",
        "<< /Type /Font /Subtype /Type1 /BaseFont /Helvetica >>",
        "<< /Length " + QByteArray::number(content.size()) + " >>\nstream\n" + content +
            "endstream",
    };
    QByteArray pdf = "%PDF-1.4\n";
    QList<qsizetype> offsets;
    for (qsizetype i = 0; i < objects.size(); ++i) {
        offsets.append(pdf.size());
        pdf += QByteArray::number(i + 1) + " 0 obj\n" + objects[i] + "\nendobj\n";
    }
    const qsizetype xref = pdf.size();
    pdf += "xref\n0 " + QByteArray::number(objects.size() + 1) + "\n0000000000 65535 f \n";
    for (qsizetype offset : offsets)
        pdf += QByteArray::number(offset).rightJustified(10, '0') + " 00000 n \n";
    pdf += "trailer\n<< /Size " + QByteArray::number(objects.size() + 1) +
           " /Root 1 0 R >>\nstartxref\n" + QByteArray::number(xref) + "\n%%EOF\n";
    return pdf;
}

} // namespace orvix::server
