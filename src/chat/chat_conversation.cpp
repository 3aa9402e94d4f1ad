#include "chat/chat_conversation.h"

#include "chat/chat_message_list.h"

#include <algorithm>

namespace orvix {

void ChatConversation::show(const QString& roomNumberText, const QString& partnerNumber,
                            ChatMessageList* messages) {
    m_roomNumberText = roomNumberText;
    m_partnerNumber = partnerNumber;
    m_messages = messages;
}

bool ChatConversation::Relayout(int clientHeight) {
    const int total = m_messages ? m_messages->total() : 0;
    m_contentHeight = total;
    if (clientHeight < total) {
        m_scrollPosition = total;
        return true;
    }
    m_contentHeight = clientHeight;
    return false;
}

ChatMessage* ChatConversation::HitTest(int clientY, int scrollPosition) {
    m_scrollPosition = scrollPosition;
    if (!m_messages)
        return nullptr;
    return m_messages->HitTest(clientY + scrollPosition);
}

int ChatConversation::wheel(int delta, int scrollPosition) {
    int position = scrollPosition + (delta < 0 ? 20 : -20);
    position = std::clamp(position, 0, std::max(0, m_contentHeight));
    m_scrollPosition = position;
    return position;
}

} // namespace orvix
