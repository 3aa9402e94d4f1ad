#include "chat/chat_message_list.h"

#include "chat/chat_message.h"

#include <algorithm>

namespace orvix {

ChatMessageList::ChatMessageList() = default;
ChatMessageList::~ChatMessageList() = default;

ChatMessage& ChatMessageList::append(std::unique_ptr<ChatMessage> message) {
    message->setTop(FirstTop + m_total);
    m_total += message->slotHeight();
    m_messages.push_back(std::move(message));
    return *m_messages.back();
}

ChatMessage* ChatMessageList::HitTest(int contentY) const {
    // The last message whose top lies above the point.
    auto after = std::upper_bound(
        m_messages.begin(), m_messages.end(), contentY,
        [](int y, const std::unique_ptr<ChatMessage>& message) { return y <= message->top(); });
    if (after == m_messages.begin())
        return nullptr;
    ChatMessage& candidate = **(after - 1);
    if (candidate.top() < contentY && contentY < candidate.top() + candidate.slotHeight())
        return &candidate;
    return nullptr;
}

std::pair<int, int> ChatMessageList::visibleRange(int top, int bottom) const {
    // First message whose slot ends below the top edge; first one that starts at or below the
    // bottom edge.
    auto first = std::partition_point(m_messages.begin(), m_messages.end(),
                                      [top](const std::unique_ptr<ChatMessage>& message) {
                                          return message->top() + message->slotHeight() <= top;
                                      });
    auto last = std::partition_point(
        first, m_messages.end(),
        [bottom](const std::unique_ptr<ChatMessage>& message) { return message->top() < bottom; });
    return {int(first - m_messages.begin()), int(last - m_messages.begin())};
}

ChatMessage* ChatMessageList::findBySequence(const QString& sequence) const {
    if (sequence.isEmpty())
        return nullptr;
    for (const auto& message : m_messages) {
        if (message->sequence() == sequence)
            return message.get();
    }
    return nullptr;
}

} // namespace orvix
