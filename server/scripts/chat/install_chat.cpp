#include "server/scripts/chat/install_chat.h"

#include "server/admin/member_photo.h"
#include "server/core/command_line.h"
#include "server/core/route_table.h"
#include "server/core/server_context.h"
#include "server/scripts/chat/chat_demo_partner.h"
#include "server/scripts/chat/chat_demo_seed.h"
#include "server/scripts/chat/chat_list_script.h"
#include "server/scripts/chat/chat_photos.h"
#include "server/scripts/chat/chat_poll_script.h"
#include "server/scripts/chat/chat_send_script.h"
#include "server/scripts/chat/chat_store.h"

#include <QTextStream>

#include <memory>

namespace orvix::server {

namespace {

// What the chat scripts share for the life of the server.
struct ChatService {
    explicit ChatService(ServerContext& context)
        : store(context.database())
        , photos(context.folder()) {}

    ChatStore store;
    ChatPhotos photos;
    std::unique_ptr<ChatDemoPartner> partner;
};

template <class Script>
RouteTable::Script keeping(std::shared_ptr<ChatService> service, Script script) {
    return [service = std::move(service), script = std::move(script)](const ScriptRequest& r) {
        return script(r);
    };
}

// The room number at an argument index, or 0 after a message.
qint64 roomArgument(AdminInvocation& call, int index) {
    bool ok = false;
    const qint64 room = call.arguments.value(index).toLongLong(&ok);
    if (!ok || room <= 0) {
        call.err << "orvix-server: \"" << call.arguments.value(index)
                 << "\" is not a room number\n";
        return 0;
    }
    return room;
}

int reportSending(AdminInvocation& call, const ChatStore::Sending& sending, qint64 room) {
    using Outcome = ChatStore::Sending::Outcome;
    if (sending.outcome == Outcome::NotInRoom)
        return call.fail(QStringLiteral("the member is not in an open room %1").arg(room));
    if (sending.outcome != Outcome::Stored)
        return call.fail(call.context.database().lastError());
    call.out << sending.messageNo << '\n';
    return AdminExit::Done;
}

int chatRoom(AdminInvocation& call) {
    const auto member = call.member(0);
    if (!member)
        return AdminExit::Failed;
    const auto partner = call.member(1);
    if (!partner)
        return AdminExit::Failed;
    QString error;
    const auto room =
        ChatStore(call.context.database()).openRoom(member->memberNo, partner->memberNo, &error);
    if (!room)
        return call.fail(error);
    call.out << *room << '\n';
    return AdminExit::Done;
}

int chatSend(AdminInvocation& call) {
    const qint64 room = roomArgument(call, 0);
    if (room == 0)
        return AdminExit::Failed;
    const auto member = call.member(1);
    if (!member)
        return AdminExit::Failed;
    ChatStore store(call.context.database());
    return reportSending(
        call, store.addMessage(room, member->memberNo, ChatKind::Text, call.arguments[2]), room);
}

int chatSendPhoto(AdminInvocation& call) {
    const qint64 room = roomArgument(call, 0);
    if (room == 0)
        return AdminExit::Failed;
    const auto member = call.member(1);
    if (!member)
        return AdminExit::Failed;
    ChatStore store(call.context.database());
    bool failed = false;
    if (!store.isOpenMember(room, member->memberNo, &failed)) {
        return call.fail(failed ? call.context.database().lastError()
                                : QStringLiteral("the member is not in an open room %1").arg(room));
    }
    QString error;
    const auto jpeg =
        MemberPhoto::prepare(call.arguments[2], call.context.config().maxUpload, &error);
    if (!jpeg)
        return call.fail(error);
    const auto content = ChatPhotos(call.context.folder()).store(member->memberNo, *jpeg, &error);
    if (!content)
        return call.fail(error);
    return reportSending(call, store.addMessage(room, member->memberNo, ChatKind::Photo, *content),
                         room);
}

int chatClose(AdminInvocation& call) {
    const qint64 room = roomArgument(call, 0);
    if (room == 0)
        return AdminExit::Failed;
    QString error;
    if (!ChatStore(call.context.database()).closeRoom(room, &error))
        return call.fail(error);
    call.out << "closed room " << room << '\n';
    return AdminExit::Done;
}

} // namespace

void installChat(RouteTable& routes, ServerContext& context) {
    auto service = std::make_shared<ChatService>(context);
    ChatPollScript::PollObserver polled;
    ChatSendScript::SendObserver sent;
    if (context.config().demo) {
        service->partner =
            std::make_unique<ChatDemoPartner>(context, service->store, service->photos);
        ChatDemoPartner* partner = service->partner.get();
        polled = [partner](const QString& device, qint64 member) {
            partner->polled(device, member);
        };
        sent = [partner](qint64 room, qint64 sender, int kind, const QString& content) {
            partner->heard(room, sender, kind, content);
        };
    }
    routes.addScript(QStringLiteral("/android/chatlistpc.php"),
                     keeping(service, ChatListScript(context, service->store)));
    routes.addScript(QStringLiteral("/android/getreceivechatpc.php"),
                     keeping(service, ChatPollScript(context, service->store, polled)));
    routes.addScript(
        QStringLiteral("/android/chatsendtextpc.php"),
        keeping(service, ChatSendScript(context, service->store, service->photos, sent)));
}

QList<AdminCommand> chatAdminCommands() {
    return {
        {QStringLiteral("chat-room"), QStringLiteral("chat-room ID PARTNER_ID"), {}, 2, chatRoom},
        {QStringLiteral("chat-send"),
         QStringLiteral("chat-send ROOM FROM_ID TEXT"),
         {},
         3,
         chatSend},
        {QStringLiteral("chat-send-photo"),
         QStringLiteral("chat-send-photo ROOM FROM_ID FILE"),
         {},
         3,
         chatSendPhoto},
        {QStringLiteral("chat-close"), QStringLiteral("chat-close ROOM"), {}, 1, chatClose},
    };
}

ServerFeature chatFeature() {
    ServerFeature feature;
    feature.name = QStringLiteral("chat");
    // A PC's message is known by its device and its own sequence number, so a message sent
    // again after a lost answer is not stored twice.
    feature.migrations = {{
        QStringLiteral("CREATE UNIQUE INDEX chat_messages_sent_once ON chat_messages "
                       "(origin_device_id, client_seq) WHERE origin_device_id IS NOT NULL AND "
                       "client_seq IS NOT NULL"),
    }};
    feature.install = installChat;
    feature.adminCommands = chatAdminCommands;
    feature.seedDemo = seedChatDemo;
    return feature;
}

} // namespace orvix::server
