#include "server/scripts/chat/chat_demo_partner.h"

#include "server/core/server_context.h"
#include "server/scripts/chat/chat_photos.h"
#include "server/scripts/chat/chat_store.h"
#include "server/scripts/chat/demo_picture.h"

#include <QTextStream>
#include <QTimer>

namespace orvix::server {

namespace {

void warn(const QString& text) {
    QTextStream(stderr) << "orvix-server: demo chat: " << text << '\n';
}

} // namespace

ChatDemoPartner::ChatDemoPartner(ServerContext& context, ChatStore& store, const ChatPhotos& photos,
                                 std::chrono::milliseconds answerDelay)
    : m_context(context)
    , m_store(store)
    , m_photos(photos)
    , m_delay(answerDelay) {}

std::optional<qint64> ChatDemoPartner::memberNo(const QString& loginId) const {
    const auto member = m_context.members().findByLoginId(loginId);
    if (!member)
        return std::nullopt;
    return member->memberNo;
}

QString ChatDemoPartner::answerTo(const QString& text, int n) {
    QString quoted = text.simplified();
    if (quoted.size() > 40)
        quoted = quoted.left(39) + QChar(0x2026);
    switch (n % 4) {
    case 0:
        return QStringLiteral("You wrote \"%1\". I read you loud and clear!").arg(quoted);
    case 1:
        return QStringLiteral("Ha, nice. Tell me more?");
    case 2:
        return QStringLiteral("I'm answering from my phone, about a second after you.");
    default:
        return QStringLiteral("Send me a photo and I'll send one back!");
    }
}

void ChatDemoPartner::heard(qint64 roomNo, qint64 senderNo, int kind, const QString& content) {
    const auto demo = memberNo(kDemoId);
    const auto answerer = memberNo(kAnswererId);
    if (!demo || !answerer || senderNo != *demo)
        return;
    const auto members = m_store.roomMembers(roomNo);
    if (std::find(members.begin(), members.end(), *answerer) == members.end())
        return;
    const qint64 from = *answerer;
    QTimer::singleShot(m_delay, this, [this, roomNo, from, kind, content] {
        answer(roomNo, from, kind, content);
    });
}

void ChatDemoPartner::answer(qint64 roomNo, qint64 fromNo, int kind, const QString& text) {
    QString content;
    int answerKind = ChatKind::Text;
    if (kind == ChatKind::Photo) {
        QString error;
        const auto stored = m_photos.store(fromNo, DemoPicture::paint(m_photosSent + 1), &error);
        if (!stored) {
            warn(error);
            return;
        }
        ++m_photosSent;
        content = *stored;
        answerKind = ChatKind::Photo;
    } else {
        content = answerTo(text, m_texts++);
    }
    // The room may have been closed meanwhile; then nothing is sent.
    m_store.addMessage(roomNo, fromNo, answerKind, content);
}

void ChatDemoPartner::polled(const QString& deviceId, qint64 memberNo) {
    const auto demo = this->memberNo(kDemoId);
    if (!demo || memberNo != *demo || m_greetedDevices.contains(deviceId))
        return;
    m_greetedDevices.insert(deviceId);
    QTimer::singleShot(m_delay * 2, this, [this] {
        greet(QStringLiteral("wei"), QStringLiteral("Hi Demo! Are you on your PC now?"));
    });
    QTimer::singleShot(m_delay * 4, this, [this] {
        greet(QStringLiteral("alex"), QStringLiteral("Lunch tomorrow at noon?"));
    });
}

void ChatDemoPartner::greet(const QString& fromId, const QString& text) {
    const auto demo = memberNo(kDemoId);
    const auto from = memberNo(fromId);
    if (!demo || !from)
        return;
    QString error;
    const auto room = m_store.openRoom(*from, *demo, &error);
    if (!room) {
        warn(error);
        return;
    }
    m_store.addMessage(*room, *from, ChatKind::Text, text);
}

} // namespace orvix::server
