#pragma once

#include <QObject>
#include <QSet>
#include <QString>

#include <chrono>
#include <optional>

namespace orvix::server {

class ChatPhotos;
class ChatStore;
class ServerContext;

// The demo's chat partners, on a server run with --demo. Minji answers every message that the
// member "demo" writes in her room, about a second later, as if from her phone: a text with a
// text, a photo with a photo of her own. When a PC session of "demo" polls for the first time,
// Wei and Alex each write a greeting a few seconds later, so the room list shows unread badges.
class ChatDemoPartner : public QObject {
    Q_OBJECT
public:
    static inline const QString kDemoId = QStringLiteral("demo");
    static inline const QString kAnswererId = QStringLiteral("minji");

    ChatDemoPartner(ServerContext& context, ChatStore& store, const ChatPhotos& photos,
                    std::chrono::milliseconds answerDelay = std::chrono::milliseconds(1000));

    // A message was stored (room, sender, kind, content).
    void heard(qint64 roomNo, qint64 senderNo, int kind, const QString& content);
    // An open PC session polled.
    void polled(const QString& deviceId, qint64 memberNo);

    // The text Minji answers to the n-th text (counted from 0).
    static QString answerTo(const QString& text, int n);

private:
    std::optional<qint64> memberNo(const QString& loginId) const;
    void answer(qint64 roomNo, qint64 fromNo, int kind, const QString& text);
    void greet(const QString& fromId, const QString& text);

    ServerContext& m_context;
    ChatStore& m_store;
    const ChatPhotos& m_photos;
    std::chrono::milliseconds m_delay;
    int m_texts = 0;
    int m_photosSent = 0;
    QSet<QString> m_greetedDevices;
};

} // namespace orvix::server
