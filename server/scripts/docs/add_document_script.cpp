#include "server/scripts/docs/add_document_script.h"

#include "server/core/reply_builder.h"
#include "server/core/server_context.h"
#include "server/scripts/docs/document_store.h"
#include "server/storage/image_path.h"

#include <QDateTime>

namespace orvix::server {

namespace {

const QString kRefused = QStringLiteral("0");
const QString kHttp = QStringLiteral("http://");
const QString kImage = QStringLiteral("/image/");
const QString kDocumentFolder = QStringLiteral("document");

} // namespace

AddDocumentScript::AddDocumentScript(ServerContext& context,
                                     std::shared_ptr<DocumentStore> documents)
    : m_context(context)
    , m_documents(std::move(documents)) {}

QString AddDocumentScript::documentFile(const QString& path, const QString& publicAddress,
                                        qint64 memberNo) {
    // The address is compared as the client writes it: no escapes are decoded, so the name is
    // exactly the one the upload used.
    if (!path.startsWith(kHttp, Qt::CaseInsensitive))
        return {};
    const qsizetype slash = path.indexOf(u'/', kHttp.size());
    if (slash < 0)
        return {};
    const QStringView authority = QStringView(path).sliced(kHttp.size(), slash - kHttp.size());
    if (publicAddress.isEmpty() || authority.compare(publicAddress, Qt::CaseInsensitive) != 0)
        return {};
    const QStringView rest = QStringView(path).sliced(slash);
    if (!rest.startsWith(kImage))
        return {};
    const QString relative = rest.sliced(kImage.size()).toString();
    const auto pieces = ImagePath::splitFile(relative);
    if (!pieces || pieces->size() != 3 || pieces->at(0) != kDocumentFolder ||
        pieces->at(1) != QString::number(memberNo))
        return {};
    return relative;
}

ScriptReply AddDocumentScript::operator()(const ScriptRequest& request) const {
    const auto member = m_context.pcAccess().sessionMember(request.form.value(u"deviceid"));
    if (!member)
        return ScriptReply::text(kRefused);

    const QString path = request.form.value(u"path");
    const QString relative = documentFile(path, m_context.config().publicAddress, *member);
    // The file itself may not be there yet: the PC registers as soon as it has sent the last
    // byte, which can be before the upload port has stored the file. The library page links a
    // document once its file is there.
    if (relative.isEmpty())
        return ScriptReply::text(kRefused);

    QString fileName = request.form.value(u"filename");
    const QString ext = request.form.value(u"ext");
    const QString comment = request.form.value(u"comment");
    if (fileName.size() > kMaxFileName || ext.size() > kMaxExt || comment.size() > kMaxComment)
        return ScriptReply::text(kRefused);
    // A document always has a name to show: without one it is known by its stored name.
    if (fileName.trimmed().isEmpty())
        fileName = relative.section(u'/', -1);

    const auto registration = m_documents->registerDocument(*member, path, fileName, ext, comment,
                                                            QDateTime::currentSecsSinceEpoch());
    if (!registration.ok)
        return ScriptReply::failure(kRefused);
    return ScriptReply::text(ReplyBuilder{
        QStringLiteral("1"), registration.replaced ? QStringLiteral("2") : QStringLiteral("1")}
                                 .text());
}

} // namespace orvix::server
