#include "server/scripts/store/add_store_script.h"

#include "server/core/reply_builder.h"
#include "server/core/server_context.h"
#include "server/scripts/store/store_registry.h"

#include <QDateTime>

namespace orvix::server {

namespace {

const QString kRefused = QStringLiteral("0");

} // namespace

AddStoreScript::AddStoreScript(ServerContext& context, std::shared_ptr<StoreRegistry> stores)
    : m_context(context)
    , m_stores(std::move(stores)) {}

ScriptReply AddStoreScript::operator()(const ScriptRequest& request) const {
    const auto member = m_context.pcAccess().sessionMember(request.form.value(u"deviceid"));
    if (!member)
        return ScriptReply::text(kRefused);

    StoreRecord store;
    store.ownerMemberNo = *member;
    store.name = request.form.value(u"storename").trimmed();
    store.tel = request.form.value(u"storetel").trimmed();
    store.kind = request.form.value(u"storestyle").trimmed();
    store.ceoName = request.form.value(u"ceoname").trimmed();
    store.title = request.form.value(u"title").trimmed();
    store.addKey = request.form.value(u"addkey").trimmed();
    bool counted = false;
    store.infoPhotoCount = request.form.value(u"infophoto").toInt(&counted);
    if (store.name.isEmpty() || !counted || store.infoPhotoCount < 0)
        return ScriptReply::text(kRefused);
    for (const QString* field :
         {&store.name, &store.tel, &store.kind, &store.ceoName, &store.addKey}) {
        if (field->size() > kMaxField)
            return ScriptReply::text(kRefused);
    }
    if (store.title.size() > kMaxTitle)
        return ScriptReply::text(kRefused);

    const auto storeNo = m_stores->add(store, QDateTime::currentSecsSinceEpoch());
    if (!storeNo)
        return ScriptReply::failure(kRefused);
    return ScriptReply::text(
        ReplyBuilder{QStringLiteral("1"), QStringLiteral("1"), QString::number(*storeNo)}.text());
}

} // namespace orvix::server
