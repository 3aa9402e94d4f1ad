#include "server/scripts/board/simple_pdf.h"

#include <QList>

namespace orvix::server {

namespace {

// A PDF string literal: printable ASCII, with "(", ")" and "\" escaped.
QByteArray literal(const QString& text) {
    QByteArray out = "(";
    for (QChar c : text) {
        const char16_t u = c.unicode();
        if (u == u'(' || u == u')' || u == u'\\') {
            out += '\\';
            out += char(u);
        } else if (u >= 0x20 && u < 0x7f) {
            out += char(u);
        } else {
            out += '?';
        }
    }
    return out + ')';
}

} // namespace

QByteArray SimplePdf::page(const QString& heading, const QStringList& lines) {
    QByteArray stream = "BT /F1 20 Tf 72 770 Td " + literal(heading) + " Tj /F1 12 Tf";
    for (int i = 0; i < lines.size(); ++i)
        stream += (i == 0 ? " 0 -36 Td " : " 0 -18 Td ") + literal(lines[i]) + " Tj";
    stream += " ET";

    const QList<QByteArray> objects{
        "<< /Type /Catalog /Pages 2 0 R >>",
        "<< /Type /Pages /Kids [3 0 R] /Count 1 >>",
        "<< /Type /Page /Parent 2 0 R /MediaBox [0 0 595 842] /Resources << /Font << /F1 4 0 R "
        ">> >> /Contents 5 0 R >>",
        "<< /Type /Font /Subtype /Type1 /BaseFont /Helvetica >>",
        "<< /Length " + QByteArray::number(stream.size()) + " >>\nstream\n" + stream +
            "\nendstream",
    };
    QByteArray pdf = "%PDF-1.4\n";
    QList<qsizetype> offsets;
    for (int i = 0; i < objects.size(); ++i) {
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
