#include "server/scripts/docs/demo_documents.h"

#include "server/core/server_context.h"
#include "server/core/text_pdf.h"
#include "server/demo/demo_seeder.h"
#include "server/scripts/docs/document_store.h"
#include "server/storage/staged_file.h"

#include <QDateTime>

namespace orvix::server {

namespace {

struct DemoDocument {
    QString fileName;
    QString ext;
    QString comment;
    qint64 age; // seconds before now
    QByteArray bytes;
};

QList<DemoDocument> demoDocuments() {
    constexpr qint64 day = 24 * 60 * 60;
    return {
        {QStringLiteral("Orvix guide.pdf"), QStringLiteral("PDF"),
         QStringLiteral("How to use Orvix desktop: chat, Square, Story and the Smart Editor."),
         3 * day,
         TextPdf::page(QStringLiteral("Orvix desktop guide"),
                       {QStringLiteral("Chatting: your chat rooms, text and photos."),
                        QStringLiteral("Square: the board of posts and opinions."),
                        QStringLiteral("Story: this document library."),
                        QStringLiteral("Information and Add store: the Smart Editor.")})},
        {QStringLiteral("Price list 2026.pdf"), QStringLiteral("PDF"),
         QStringLiteral("Prices of the demo store\n(valid from January)"), 2 * day,
         TextPdf::page(QStringLiteral("Price list 2026"),
                       {QStringLiteral("Coffee ........ 3,500 won"),
                        QStringLiteral("Tea ........... 3,000 won"),
                        QStringLiteral("Cake .......... 5,500 won")})},
        {QStringLiteral("Meeting notes.txt"), QStringLiteral("TXT"),
         QStringLiteral("Notes from Monday's meeting <draft> & follow-ups"), 60 * 60,
         QByteArrayLiteral("Monday meeting\n\n- New opening hours from next week.\n"
                           "- Photos of the shop for the store page.\n")},
    };
}

} // namespace

DemoDocuments::DemoDocuments(ServerContext& context, DocumentStore& documents)
    : m_context(context)
    , m_documents(documents) {}

bool DemoDocuments::seed(QString* error) {
    bool failed = false;
    const auto member = m_context.members().findByLoginId(DemoSeeder::kDemoId, &failed);
    if (failed || !member) {
        if (error)
            *error = QStringLiteral("the demo member is missing: %1")
                         .arg(m_context.database().lastError());
        return false;
    }
    const auto existing = m_documents.list(member->memberNo, DocumentStore::Order::Registration);
    if (!existing) {
        if (error)
            *error = m_context.database().lastError();
        return false;
    }
    if (!existing->isEmpty())
        return true;

    const ServerConfig& config = m_context.config();
    const QString host = config.publicAddress.isEmpty()
                             ? QStringLiteral("127.0.0.1:%1").arg(config.httpPort)
                             : config.publicAddress;
    const QString folder = QStringLiteral("document/%1").arg(member->memberNo);
    const qint64 now = QDateTime::currentSecsSinceEpoch();
    for (const DemoDocument& document : demoDocuments()) {
        const qint64 at = now - document.age;
        // Named as the desktop program names its uploads: member number, time, extension.
        const QString name =
            QStringLiteral("%1%2.%3").arg(member->memberNo).arg(at).arg(document.ext);
        const QString target = m_context.folder().imageRoot() + u'/' + folder + u'/' + name;
        if (!StagedFile::writeWhole(m_context.folder().stagingDir(), target, document.bytes, error))
            return false;
        const QString path = QStringLiteral("http://%1/image/%2/%3").arg(host, folder, name);
        if (!m_documents
                 .registerDocument(member->memberNo, path, document.fileName, document.ext,
                                   document.comment, at)
                 .ok) {
            if (error)
                *error = m_context.database().lastError();
            return false;
        }
    }
    return true;
}

} // namespace orvix::server
