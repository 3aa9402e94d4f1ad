#include "chat/chat_list_view.h"

#include "app/orvix_win_app.h"
#include "chat/chat_message_list.h"
#include "chat/chat_room.h"
#include "chat/chat_view.h"
#include "chat/list_tool_dlg.h"
#include "chat/receive_msg_dlg.h"
#include "chat/send_msg_dlg.h"
#include "imaging/dib_picture.h"
#include "net/reply_notice.h"
#include "platform/resources.h"

#include <QFontMetrics>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>
#include <QWheelEvent>

namespace orvix {

namespace {

QFont rowFont(int characterHeight) {
    QFont font(QStringLiteral("돋움체"));
    font.setPixelSize(characterHeight);
    font.setWeight(QFont::Normal);
    return font;
}

} // namespace

QRect CChatListView::previewRect(const QFont& font, int y) {
    // From x 60 to 200, starting 35 below the row's top, one whole line of the font high (at
    // least 10) and never into the next row.
    const int height = std::clamp(QFontMetrics(font).height(), 10, ChatRoomList::RowHitHeight - 35);
    return QRect(60, y + 35, 140, height);
}

QPoint CChatListView::badgeTextOrigin(const QFont& font, const QString& number, int width, int y) {
    // Centred across the badge and, by the digits' own outline, down it, whatever the ascent
    // of the face that stands in for the row font.
    const QRect ink = QFontMetrics(font).tightBoundingRect(number);
    const QRect badge(5, y - 3, width, 15);
    const int x = badge.left() + (badge.width() - ink.width()) / 2 - ink.left();
    const int baseline = badge.top() + (badge.height() - ink.height() + 1) / 2 - ink.top();
    return QPoint(x, baseline);
}

CChatListView::CChatListView(QWidget* parent)
    : QAbstractScrollArea(parent) {
    setFrameShape(QFrame::NoFrame);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    viewport()->setAutoFillBackground(true);
    QPalette ground = viewport()->palette();
    ground.setColor(QPalette::Window, Qt::white);
    viewport()->setPalette(ground);
    verticalScrollBar()->setSingleStep(20);
}

CChatListView::~CChatListView() {
    // Later, not at once: whoever tears down every window may be about to delete it too.
    if (m_panel)
        m_panel->deleteLater();
}

void CChatListView::OnInitialUpdate(CChatView* chatView, const StepWorker::Timing& timing) {
    m_chatView = chatView;
    updateScrollRange(1000);
    COrvixWinApp& app = COrvixWinApp::current();
    app.registerWindow(COrvixWinApp::Window::ChatListView, this);
    m_panel = new CListToolDlg(this);
    m_send = new CSendMsgDlg(*this, *chatView, timing);
    m_receive = new CReceiveMsgDlg(*this, *chatView, timing);
    RequestRoomList();
}

void CChatListView::RequestRoomList() {
    COrvixWinApp& app = COrvixWinApp::current();
    const SessionRecord& session = app.session();
    ++m_requests;
    app.sendRequest("/android/chatlistpc.php",
                    QStringLiteral("id=%1&password=%2").arg(session.memberId, session.password),
                    this);
}

int CChatListView::onMessage(int message, WParam wParam, LParam lParam) {
    const auto reply = ReplyNotice::from(message, wParam, lParam);
    if (!reply)
        return 0;
    const RoomListReply parsed = RoomListReply::parse(reply->text());
    if (!parsed.accepted)
        return 0;
    COrvixWinApp& app = COrvixWinApp::current();
    const QString folder = app.session().workFolder;
    const ChatMessageList* shown = m_chatView ? m_chatView->conversation().messages() : nullptr;
    const ChatMessageList* follows = m_rooms.Rebuild(
        parsed,
        [this, &folder](const RoomListReply::Room& room) {
            return m_downloads.partnerPhoto(folder, room.partnerNumber, room.photoHost);
        },
        res::bitmap(res::DefaultMemberPicture), shown);
    // The conversation on screen follows its room into the new list, or goes with it.
    if (m_chatView && shown && !follows)
        m_chatView->ShowRoom(nullptr);
    m_scrollPosition = 0;
    updateScrollRange(m_rooms.contentHeight());
    verticalScrollBar()->setValue(0);
    viewport()->update();
    return 1;
}

void CChatListView::updateScrollRange(int contentHeight) {
    const int page = viewport()->height();
    verticalScrollBar()->setPageStep(page);
    verticalScrollBar()->setRange(0, std::max(0, contentHeight - page));
}

void CChatListView::resizeEvent(QResizeEvent* event) {
    QAbstractScrollArea::resizeEvent(event);
    updateScrollRange(m_rooms.loaded() ? m_rooms.contentHeight() : 1000);
}

void CChatListView::MoveRoomToTop(ChatRoom& room) {
    m_rooms.MoveRoomToTop(room);
    viewport()->update();
}

void CChatListView::SelectRoomAt(int y) {
    m_scrollPosition = verticalScrollBar()->value();
    ChatRoom* room = m_rooms.roomAt(y + m_scrollPosition);
    if (!room)
        return;
    m_rooms.select(*room);
    if (m_chatView)
        m_chatView->ShowRoom(room);
    viewport()->update();
}

void CChatListView::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton)
        SelectRoomAt(int(event->position().y()));
    QAbstractScrollArea::mousePressEvent(event);
}

void CChatListView::wheelEvent(QWheelEvent* event) {
    // 20 pixels a notch from where the list stands, within the content.
    const int delta = event->angleDelta().y();
    if (delta != 0) {
        const int position = verticalScrollBar()->value() + (delta < 0 ? 20 : -20);
        m_scrollPosition = std::clamp(position, 0, std::max(0, m_rooms.contentHeight()));
        verticalScrollBar()->setValue(m_scrollPosition);
    }
    event->accept();
}

void CChatListView::paintEvent(QPaintEvent* event) {
    QPainter painter(viewport());
    const int scroll = verticalScrollBar()->value();
    painter.translate(0, -scroll);
    const QRect dirty = event->rect().translated(0, scroll);
    // Only the rows that reach into the part to repaint.
    const int first =
        std::max(0, (dirty.top() - ChatRoomList::FirstRowTop - ChatRoomList::RowHitHeight) /
                        ChatRoomList::RowPitch);
    for (int i = first; i < m_rooms.size(); ++i) {
        const int y = ChatRoomList::FirstRowTop + ChatRoomList::RowPitch * i;
        if (y - 3 > dirty.bottom())
            break;
        drawRow(painter, m_rooms.at(i), y);
    }
}

void CChatListView::drawRow(QPainter& painter, ChatRoom& room, int y) {
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, false);
    if (room.selected)
        painter.fillRect(QRect(0, y, 300, 55), QColor(200, 200, 200));

    painter.setPen(Qt::black);
    painter.setFont(font());
    painter.drawText(QRect(60, y, 120, 20), Qt::AlignLeft | Qt::AlignTop, room.title);

    if (const auto photo = m_rooms.photoOf(room))
        photo->Draw(painter, 5, y, 50, 50);
    else if (!room.defaultPicture.isNull())
        painter.drawImage(QPoint(5, y), room.defaultPicture);

    painter.setFont(rowFont(8));
    painter.setPen(QColor(127, 127, 127));
    painter.drawText(QRect(70, y + 20, 110, 15), Qt::AlignRight | Qt::AlignTop, room.caption);

    const QFont previewFont = rowFont(11);
    painter.setFont(previewFont);
    painter.setPen(Qt::black);
    painter.drawText(previewRect(previewFont, y), Qt::AlignLeft | Qt::AlignTop, room.preview);

    if (room.unread > 0) {
        const int w = ChatRoomList::badgeWidth(room.unread);
        painter.setPen(QPen(Qt::white, 1));
        painter.setBrush(QColor(255, 0, 0));
        painter.drawRoundedRect(QRect(5, y - 3, w - 1, 14), 5, 5);
        painter.setPen(Qt::white);
        const QString number = QString::number(room.unread);
        painter.drawText(badgeTextOrigin(previewFont, number, w, y), number);
    }
    painter.restore();
}

} // namespace orvix
