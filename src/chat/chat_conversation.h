#pragma once

#include <QString>

namespace orvix {

class ChatMessage;
class ChatMessageList;

// What the conversation view shows: the selected room's number, partner and messages, and the
// scroll arithmetic of the view (its content height and scroll position).
class ChatConversation {
public:
    // Shows a room's messages (nullptr: none).
    void show(const QString& roomNumberText, const QString& partnerNumber,
              ChatMessageList* messages);
    // Shows nothing; the room number is kept, as the view keeps it after a room was closed.
    void clearMessages() { m_messages = nullptr; }
    void follow(ChatMessageList* messages) { m_messages = messages; }

    const QString& roomNumberText() const { return m_roomNumberText; }
    const QString& partnerNumber() const { return m_partnerNumber; }
    ChatMessageList* messages() const { return m_messages; }

    // Recomputes the content height from the messages for a view `clientHeight` pixels high:
    // the sum of the messages' heights, or the client height when they all fit (the background
    // then fills the view). When they do not fit, the scroll position becomes the total (the
    // view shows the newest message at its bottom). Returns whether the view must scroll.
    bool Relayout(int clientHeight);

    // The message at a client y, with the view scrolled to scrollPosition (which is kept).
    ChatMessage* HitTest(int clientY, int scrollPosition);

    // A wheel turn: toward the member (negative delta) 20 pixels down, away 20 up, kept within
    // 0 … content height. Gives the new scroll position.
    int wheel(int delta, int scrollPosition);

    int contentHeight() const { return m_contentHeight; }
    int scrollPosition() const { return m_scrollPosition; }
    void setScrollPosition(int position) { m_scrollPosition = position; }

    static constexpr int InitialContentHeight = 2000;

private:
    QString m_roomNumberText;
    QString m_partnerNumber;
    ChatMessageList* m_messages = nullptr;
    int m_contentHeight = InitialContentHeight;
    int m_scrollPosition = 0;
};

} // namespace orvix
