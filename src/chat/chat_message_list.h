#pragma once

#include <QString>

#include <memory>
#include <utility>
#include <vector>

namespace orvix {

class ChatMessage;

// The messages of one room in arrival order, stacked from the top of the conversation: the first
// message's top is at 10, and each message takes its bubble's height plus twice its margin plus
// 40 pixels. Heights never change once a message is made, so tops and the total are kept as
// messages are appended, and finding a message by its y costs a binary search.
class ChatMessageList {
public:
    static constexpr int FirstTop = 10;

    ChatMessageList();
    ~ChatMessageList();
    ChatMessageList(const ChatMessageList&) = delete;
    ChatMessageList& operator=(const ChatMessageList&) = delete;

    // Appends a message and gives it its top.
    ChatMessage& append(std::unique_ptr<ChatMessage> message);

    int size() const { return int(m_messages.size()); }
    bool isEmpty() const { return m_messages.empty(); }
    ChatMessage& at(int index) const { return *m_messages[std::size_t(index)]; }

    // The sum of the messages' heights (the top margin of 10 not counted).
    int total() const { return m_total; }

    // The message whose slot holds the content y strictly inside (top < y < top + height), or
    // nullptr (on the border between two messages, above the first, below the last).
    ChatMessage* HitTest(int contentY) const;

    // The indices [first, last) of the messages that reach into content rows [top, bottom).
    std::pair<int, int> visibleRange(int top, int bottom) const;

    // The message with an outgoing sequence, or nullptr.
    ChatMessage* findBySequence(const QString& sequence) const;

private:
    std::vector<std::unique_ptr<ChatMessage>> m_messages;
    int m_total = 0;
};

} // namespace orvix
