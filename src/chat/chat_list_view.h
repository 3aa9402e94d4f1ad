#pragma once

#include "app/step_worker.h"
#include "chat/chat_downloads.h"
#include "chat/chat_room_list.h"
#include "chat/list_tool_dlg.h"
#include "platform/message_target.h"

#include <QAbstractScrollArea>
#include <QPoint>
#include <QPointer>
#include <QRect>

namespace orvix {

class CListToolDlg;
class CReceiveMsgDlg;
class CSendMsgDlg;
class CChatView;

// The left pane of the chat window: the member's rooms, one row each with the partner's photo,
// the title, a grey caption, the last message and a red badge of unread messages. A click on a
// row shows that room's conversation in the chat view. It owns the list panel under it and the
// two hidden windows that send and poll.
class CChatListView : public QAbstractScrollArea, public MessageTarget {
    Q_OBJECT
public:
    static constexpr int ContentWidth = 200;

    explicit CChatListView(QWidget* parent = nullptr);
    ~CChatListView() override;

    // Registers the view, creates its list panel (hidden) and the sending and polling windows
    // (paced by workers of this timing), and asks for the room list. The chat view must exist
    // already.
    void OnInitialUpdate(CChatView* chatView, const StepWorker::Timing& timing = {});

    // Asks the server for the member's rooms; the reply replaces the list.
    void RequestRoomList();
    ChatRoom* FindRoom(QStringView numberText) const { return m_rooms.FindRoom(numberText); }
    void MoveRoomToTop(ChatRoom& room);
    // A click at a client y: selects the room whose row is there and shows its conversation.
    void SelectRoomAt(int y);

    int onMessage(int message, WParam wParam, LParam lParam) override;

    ChatRoomList& rooms() { return m_rooms; }
    ChatDownloads& downloads() { return m_downloads; }
    CListToolDlg* panel() const { return m_panel.data(); }
    CSendMsgDlg* sendWindow() const { return m_send; }
    CReceiveMsgDlg* receiveWindow() const { return m_receive; }
    int scrollPosition() const { return m_scrollPosition; }
    // Room list requests sent so far.
    int roomListRequests() const { return m_requests; }

    // Draws the row of a room with its top at y (content coordinates).
    void drawRow(QPainter& painter, ChatRoom& room, int y);
    // Where a row with its top at y draws its preview in the preview font.
    static QRect previewRect(const QFont& font, int y);
    // Where the unread number starts (its baseline) on a badge of a width, in the preview font.
    static QPoint badgeTextOrigin(const QFont& font, const QString& number, int width, int y);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void updateScrollRange(int contentHeight);

    ChatRoomList m_rooms;
    ChatDownloads m_downloads;
    CChatView* m_chatView = nullptr;
    QPointer<CListToolDlg> m_panel; // a window of its own; released with the view
    CSendMsgDlg* m_send = nullptr;
    CReceiveMsgDlg* m_receive = nullptr;
    int m_scrollPosition = 0;
    int m_requests = 0;
};

} // namespace orvix
