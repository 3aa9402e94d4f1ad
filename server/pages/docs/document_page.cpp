#include "server/pages/docs/document_page.h"

#include "server/core/html.h"
#include "server/core/server_context.h"
#include "server/scripts/docs/document_store.h"
#include "server/storage/image_path.h"

#include <QDateTime>
#include <QFileInfo>
#include <QUrl>

namespace orvix::server {

namespace {

const QString kTitle = QStringLiteral("도큐먼트 · Documents");

// The part of a stored address below /image/ ("document/1/x.PDF"), or empty.
QString imageRelative(const QString& path) {
    const qsizetype scheme = path.indexOf(QStringLiteral("://"));
    const qsizetype slash = path.indexOf(u'/', scheme < 0 ? 0 : scheme + 3);
    if (slash < 0)
        return {};
    const QStringView rest = QStringView(path).sliced(slash);
    if (!rest.startsWith(u"/image/"))
        return {};
    return rest.sliced(7).toString();
}

// "/image/" and the pieces, each percent-encoded, so that any name stays one address.
QString linkFor(const QStringList& pieces) {
    QString link = QStringLiteral("/image");
    for (const QString& piece : pieces)
        link += u'/' + QString::fromLatin1(QUrl::toPercentEncoding(piece));
    return link;
}

QString orderLink(const QString& deviceId, int order, int current, const QString& label) {
    if (order == current)
        return QStringLiteral("<b>%1</b>").arg(label);
    return QStringLiteral("<a href=\"%1\">%2</a>")
        .arg(Html::escape(DocumentPage::address(deviceId, order)), label);
}

QString commentHtml(const QString& comment) {
    QString html = Html::escape(comment.trimmed());
    html.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    html.replace(u'\n', QStringLiteral("<br>"));
    return html;
}

} // namespace

DocumentPage::DocumentPage(ServerContext& context, std::shared_ptr<DocumentStore> documents)
    : m_context(context)
    , m_documents(std::move(documents)) {}

QString DocumentPage::address(const QString& deviceId, int order) {
    return QStringLiteral("%1?deviceid=%2&order=%3")
        .arg(kPath, Html::queryValue(deviceId))
        .arg(order);
}

QString DocumentPage::readableSize(qint64 bytes) {
    if (bytes < 1024)
        return QStringLiteral("%1 B").arg(bytes);
    if (bytes < 1024 * 1024)
        return QStringLiteral("%1 KB").arg(double(bytes) / 1024.0, 0, 'f', 1);
    return QStringLiteral("%1 MB").arg(double(bytes) / (1024.0 * 1024.0), 0, 'f', 1);
}

PageReply DocumentPage::operator()(const PageRequest& request) const {
    const QString deviceId = request.value(u"deviceid");
    const auto member = m_context.pcAccess().sessionMember(deviceId);
    if (!member) {
        return PageReply::page(
            Html::page(kTitle, QStringLiteral("<p class=\"empty\">This PC session is not open. "
                                              "Open Story again from Orvix desktop after you "
                                              "log in.</p>")),
            403);
    }
    const int order = request.value(u"order") == u"1" ? 1 : 0;
    const auto documents =
        m_documents->list(*member, order == 1 ? DocumentStore::Order::NewestFirst
                                              : DocumentStore::Order::Registration);
    if (!documents) {
        return PageReply::page(
            Html::page(kTitle, QStringLiteral("<p class=\"empty\">The documents cannot be read "
                                              "right now. Please reload.</p>")),
            500);
    }

    QString body =
        QStringLiteral("<p class=\"meta\">%1 &middot; %2 &middot; %3</p>\n")
            .arg(orderLink(deviceId, 1, order, QStringLiteral("최근순 Newest first")),
                 orderLink(deviceId, 0, order, QStringLiteral("등록순 In order of registration")),
                 QStringLiteral("%1 document%2")
                     .arg(documents->size())
                     .arg(documents->size() == 1 ? QString() : QStringLiteral("s")));
    if (documents->isEmpty()) {
        body += QStringLiteral("<p class=\"empty\">No documents yet. Register one with the "
                               "등록 (register) button above.</p>\n");
        return PageReply::page(Html::page(kTitle, body));
    }

    body += QStringLiteral("<table id=\"documents\">\n<tr><th>File</th><th>Description</th>"
                           "<th>Registered</th></tr>\n");
    const QString imageRoot = m_context.folder().imageRoot();
    for (const DocumentRecord& document : *documents) {
        const QString relative = imageRelative(document.path);
        const QString file = ImagePath::resolveExisting(imageRoot, relative);
        QString name = Html::escape(document.fileName);
        QString details = Html::escape(document.ext);
        if (!file.isEmpty()) {
            name = QStringLiteral("<a class=\"document\" href=\"%1\" download=\"%2\">%3</a>")
                       .arg(Html::escape(linkFor(*ImagePath::splitFile(relative))),
                            Html::escape(document.fileName), name);
            details += QStringLiteral(" &middot; ") + readableSize(QFileInfo(file).size());
        } else {
            details += QStringLiteral(" &middot; (file missing)");
        }
        const QString date = QDateTime::fromSecsSinceEpoch(document.registeredAt)
                                 .toString(QStringLiteral("yyyy-MM-dd HH:mm"));
        body += QStringLiteral("<tr><td>%1<br><span class=\"meta\">%2</span></td><td>%3</td>"
                               "<td class=\"meta\" style=\"white-space:nowrap\">%4</td></tr>\n")
                    .arg(name, details, commentHtml(document.comment), date);
    }
    body += QStringLiteral("</table>\n");
    return PageReply::page(Html::page(kTitle, body));
}

} // namespace orvix::server
