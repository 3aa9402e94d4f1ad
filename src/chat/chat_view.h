#pragma once

#include "chat/chat_conversation.h"
#include "chat/chat_tool_dlg.h"

#include <QAbstractScrollArea>
#include <QPointer>

namespace orvix {

class CChatToolDlg;
class ChatMessage;
struct ChatRoom;

// The right pane of the chat window: the selected room's conversation from top to bottom, each
// message with its time label, the sender's picture and its bubble; the member's own messages on
// the right, the partner's on the left. It grows as messages come and scrolls itself to the
// newest. A double click on a photo opens it in the photo viewer. It turns what the member types
// or picks in its input panel into an own message and queues it for sending. An own message
// that could not be sent says so, and its context menu sends it again.
class CChatView : public QAbstractScrollArea {
    Q_OBJECT
public:
    static constexpr int ContentWidth = 510;

    explicit CChatView(QWidget* parent = nullptr);
    ~CChatView() override;

    // Registers the view and creates its input panel (hidden).
    void OnInitialUpdate();

    // Shows a room's conversation (the list's selection), or nothing.
    void ShowRoom(ChatRoom* room);
    // Recomputes the content height from the messages, scrolls to the newest when they do not
    // fit, and repaints.
    void Relayout();
    // Shows an own message at once and queues it: kind 1 with the typed text, kind 3 with the
    // thumbnail's and the photo's names joined by "|". Without a selected room nothing happens.
    void AddOwnMessage(const QString& content, int kind);
    // The message at a client y.
    ChatMessage* HitTest(int y);
    // Sends an own message that was not sent once more, with its sequence; false for any other.
    bool SendAgain(ChatMessage& message);

    ChatConversation& conversation() { return m_conversation; }
    CChatToolDlg* panel() const { return m_panel.data(); }
    int scrollPosition() const;

    // The label of an own message written now: "YYYY-MM-DD HH:MM" (local time).
    static QString localLabel(const QDateTime& now);

    // Draws the conversation's content rows [top, bottom) (content coordinates).
    void drawContent(QPainter& painter, int top, int bottom);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void updateScrollRange();
    void drawMessage(QPainter& painter, const ChatMessage& message);

    ChatConversation m_conversation;
    QPointer<CChatToolDlg> m_panel; // a window of its own; released with the view
};

} // namespace orvix
