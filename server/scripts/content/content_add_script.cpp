#include "server/scripts/content/content_add_script.h"

#include "server/core/reply_builder.h"
#include "server/core/server_context.h"
#include "server/scripts/content/content_files.h"
#include "server/scripts/content/content_store.h"

namespace orvix::server {

namespace {

const QString kRefused = QStringLiteral("0");

// The PC's clock as it sent it: a leading decimal number with an optional sign, 0 otherwise.
qint64 clientTime(QStringView text) {
    bool ok = false;
    qsizetype end = 0;
    if (end < text.size() && (text[end] == u'-' || text[end] == u'+'))
        ++end;
    while (end < text.size() && text[end] >= u'0' && text[end] <= u'9')
        ++end;
    const qint64 value = text.left(end).toLongLong(&ok);
    return ok ? value : 0;
}

} // namespace

ContentAddScript::ContentAddScript(ServerContext& context)
    : m_context(context) {}

ScriptReply ContentAddScript::operator()(const ScriptRequest& request) const {
    const auto member = m_context.pcAccess().sessionMember(request.form.value(u"deviceid"));
    if (!member)
        return ScriptReply::text(kRefused);

    ContentRecord content;
    content.memberNo = *member;
    content.style = request.form.value(u"style");
    content.fileName = request.form.value(u"file");
    content.html = request.form.value(u"content");
    content.title = request.form.value(u"title");
    content.imageFiles = request.form.value(u"imagefile");
    content.clientTime = clientTime(request.form.value(u"idate"));
    if (content.style.isEmpty() || !ContentFiles::isContentName(content.fileName))
        return ScriptReply::text(kRefused);

    const auto number = ContentStore(m_context.database()).add(content);
    if (!number)
        return ScriptReply::failure(kRefused);
    return ScriptReply::text(
        ReplyBuilder{QStringLiteral("1"), ContentStore::tokenOf(*number)}.text());
}

} // namespace orvix::server
