#include "server/scripts/content/publish_content_script.h"

#include "server/core/server_context.h"
#include "server/scripts/content/content_files.h"
#include "server/scripts/content/content_store.h"

#include <QtDebug>

namespace orvix::server {

namespace {

const QString kRefused = QStringLiteral("0");

} // namespace

PublishContentScript::PublishContentScript(ServerContext& context, Target target)
    : m_context(context)
    , m_target(target) {}

ScriptReply PublishContentScript::operator()(const ScriptRequest& request) const {
    const auto memberNo = m_context.pcAccess().sessionMember(request.form.value(u"deviceid"));
    if (!memberNo)
        return ScriptReply::text(kRefused);

    Database& db = m_context.database();
    ContentStore contents(db);
    bool failed = false;
    const auto content = contents.findByToken(request.form.value(u"info"), &failed);
    if (failed)
        return ScriptReply::failure(kRefused);
    // Only the member's own contents: a token is only a number and could name anyone's.
    if (!content || content->memberNo != *memberNo ||
        !ContentFiles::isContentName(content->fileName))
        return ScriptReply::text(kRefused);

    qint64 storeNo = 0;
    if (m_target == Target::Store) {
        const auto member = m_context.members().findByNumber(*memberNo, &failed);
        if (failed)
            return ScriptReply::failure(kRefused);
        if (!member || member->storeNo <= 0)
            return ScriptReply::text(kRefused);
        storeNo = member->storeNo;
    }

    // The record and the published name change together: the name is replaced inside the
    // transaction, which commits only when that worked.
    Transaction transaction(db);
    if (!transaction.isActive())
        return ScriptReply::failure(kRefused);
    const bool recorded = m_target == Target::Profile
                              ? contents.setProfile(*memberNo, content->contentNo)
                              : contents.setStoreContent(storeNo, content->contentNo);
    if (!recorded)
        return ScriptReply::failure(kRefused);
    const QString published = m_target == Target::Profile ? ContentFiles::profileName(*memberNo)
                                                          : ContentFiles::storeName(storeNo);
    QString error;
    if (!ContentFiles(m_context.folder())
             .publish(*memberNo, content->fileName, published, &error)) {
        qWarning().noquote() << "orvix-server: content" << content->contentNo
                             << "not published:" << error;
        return ScriptReply::failure(kRefused);
    }
    if (!transaction.commit())
        return ScriptReply::failure(kRefused);
    return ScriptReply::text(QStringLiteral("1"));
}

} // namespace orvix::server
