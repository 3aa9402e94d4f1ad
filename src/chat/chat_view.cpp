#include "chat/chat_view.h"

#include "app/local_text.h"
#include "app/orvix_win_app.h"
#include "chat/chat_list_view.h"
#include "chat/chat_message.h"
#include "chat/chat_message_list.h"
#include "chat/chat_room.h"
#include "chat/chat_tool_dlg.h"
#include "chat/image_object.h"
#include "chat/local_file_name.h"
#include "chat/send_msg_dlg.h"
#include "chat/text_object.h"
#include "editor/image_frame.h"
#include "imaging/dib_picture.h"
#include "platform/environment.h"

#include <QContextMenuEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>
#include <QWheelEvent>

namespace orvix {

namespace {

constexpr LocalText kSending{u"보내는 중…", u"正在发送…", u"Sending…"};
constexpr LocalText kNotSent{u"보내지 못함", u"未发送", u"Not sent"};
constexpr LocalText kSendAgain{u"다시 보내기", u"重新发送", u"Send again"};

int country() {
    return COrvixWinApp::current().session().country;
}

// The member's photo, owned by the application for the whole run.
std::shared_ptr<const CDibPicture> memberPhoto() {
    return std::shared_ptr<const CDibPicture>(std::shared_ptr<void>(),
                                              COrvixWinApp::current().memberPhoto());
}

} // namespace

CChatView::CChatView(QWidget* parent)
    : QAbstractScrollArea(parent) {
    setFrameShape(QFrame::NoFrame);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    verticalScrollBar()->setSingleStep(20);
}

CChatView::~CChatView() {
    // Later, not at once: whoever tears down every window may be about to delete it too.
    if (m_panel)
        m_panel->deleteLater();
}

void CChatView::OnInitialUpdate() {
    m_conversation.setScrollPosition(0);
    updateScrollRange();
    m_panel = new CChatToolDlg(this);
    COrvixWinApp::current().registerWindow(COrvixWinApp::Window::ChatView, this);
}

int CChatView::scrollPosition() const {
    return verticalScrollBar()->value();
}

void CChatView::ShowRoom(ChatRoom* room) {
    if (room)
        m_conversation.show(room->numberText(), room->partnerNumber, room->messages.get());
    else
        m_conversation.clearMessages();
    Relayout();
}

void CChatView::updateScrollRange() {
    const int page = viewport()->height();
    verticalScrollBar()->setPageStep(page);
    verticalScrollBar()->setRange(0, std::max(0, m_conversation.contentHeight() - page));
}

void CChatView::resizeEvent(QResizeEvent* event) {
    QAbstractScrollArea::resizeEvent(event);
    updateScrollRange();
}

void CChatView::Relayout() {
    const bool scroll = m_conversation.Relayout(viewport()->height());
    updateScrollRange();
    if (scroll)
        verticalScrollBar()->setValue(m_conversation.scrollPosition());
    viewport()->update();
}

QString CChatView::localLabel(const QDateTime& now) {
    const QDate date = now.date();
    const QTime time = now.time();
    return QStringLiteral("%1-%2-%3 %4:%5")
        .arg(date.year())
        .arg(date.month(), 2, 10, QLatin1Char('0'))
        .arg(date.day(), 2, 10, QLatin1Char('0'))
        .arg(time.hour(), 2, 10, QLatin1Char('0'))
        .arg(time.minute(), 2, 10, QLatin1Char('0'));
}

void CChatView::AddOwnMessage(const QString& content, int kind) {
    ChatMessageList* messages = m_conversation.messages();
    if (!messages)
        return;
    COrvixWinApp& app = COrvixWinApp::current();
    auto message = std::make_unique<ChatMessage>();
    message->SetContent(kind, content,
                        localLabel(app.environment().currentDateTime().toLocalTime()),
                        ChatMessage::Own, app.session().workFolder);
    message->setSenderPicture(memberPhoto(), app.defaultMemberPicture());
    message->setDelivery(ChatMessage::Delivery::Waiting);
    ChatMessage& added = messages->append(std::move(message));
    Relayout();

    // The bubble keeps the text as typed; the queued copy has no "&", which would split the
    // form body.
    QString queued = content;
    queued.replace(u'&', u' ');
    auto* list = app.window<CChatListView>(COrvixWinApp::Window::ChatListView);
    if (list && list->sendWindow()) {
        added.setSequence(list->sendWindow()->EnqueueMessage(m_conversation.roomNumberText(),
                                                             m_conversation.partnerNumber(),
                                                             QString::number(kind), queued));
    }
}

bool CChatView::SendAgain(ChatMessage& message) {
    if (message.side() != ChatMessage::Own || message.delivery() != ChatMessage::Delivery::NotSent)
        return false;
    auto* list = COrvixWinApp::current().window<CChatListView>(COrvixWinApp::Window::ChatListView);
    if (!list || !list->sendWindow() || !list->sendWindow()->SendAgain(message.sequence()))
        return false;
    message.setDelivery(ChatMessage::Delivery::Waiting);
    viewport()->update();
    return true;
}

ChatMessage* CChatView::HitTest(int y) {
    return m_conversation.HitTest(y, verticalScrollBar()->value());
}

void CChatView::mouseDoubleClickEvent(QMouseEvent* event) {
    ChatMessage* message = HitTest(int(event->position().y()));
    if (message && message->kind() == ChatMessage::Photo && message->photoBubble()) {
        const QString path = LocalFileName::pathIn(COrvixWinApp::current().session().workFolder,
                                                   message->photoBubble()->secondName());
        if (!path.isEmpty()) {
            if (auto* viewer =
                    COrvixWinApp::current().window<CImageFrame>(COrvixWinApp::Window::ImageFrame))
                viewer->ShowPhoto(path);
        }
    }
    QAbstractScrollArea::mouseDoubleClickEvent(event);
}

void CChatView::contextMenuEvent(QContextMenuEvent* event) {
    ChatMessage* message = HitTest(event->pos().y());
    if (!message || message->side() != ChatMessage::Own ||
        message->delivery() != ChatMessage::Delivery::NotSent)
        return;
    QMenu menu(this);
    QAction* again = menu.addAction(kSendAgain.pick(country()));
    if (menu.exec(event->globalPos()) == again)
        SendAgain(*message);
}

void CChatView::wheelEvent(QWheelEvent* event) {
    const int delta = event->angleDelta().y();
    if (delta != 0)
        verticalScrollBar()->setValue(m_conversation.wheel(delta, verticalScrollBar()->value()));
    event->accept();
}

void CChatView::paintEvent(QPaintEvent* event) {
    QPainter painter(viewport());
    const int scroll = verticalScrollBar()->value();
    painter.translate(0, -scroll);
    const QRect dirty = event->rect().translated(0, scroll);
    drawContent(painter, dirty.top(), dirty.bottom() + 1);
}

void CChatView::drawContent(QPainter& painter, int top, int bottom) {
    const QColor ground(200, 200, 200);
    const QRect background(0, 0, 550, m_conversation.contentHeight());
    painter.fillRect(background.intersected(QRect(0, top, 550, bottom - top)), ground);
    const ChatMessageList* messages = m_conversation.messages();
    if (!messages)
        return;
    // Only the messages that reach into the rows to draw; the tail and the status reach a
    // little beyond a message's slot on no side, so its slot decides.
    const auto [first, last] = messages->visibleRange(top, bottom);
    painter.setFont(font());
    for (int i = first; i < last; ++i)
        drawMessage(painter, messages->at(i));
}

void CChatView::drawMessage(QPainter& painter, const ChatMessage& message) {
    const int y = message.top();
    const bool own = message.side() == ChatMessage::Own;
    const int w = message.reservedWidth();
    const int labelX = own ? 460 - w : 110;
    const int pictureX = own ? 460 : 10;
    const int bubbleX = own ? 400 - w : 70;

    painter.setPen(QColor(127, 127, 127));
    painter.drawText(QRect(labelX, y, 550 - labelX, 20), Qt::AlignLeft | Qt::AlignTop,
                     message.label());
    painter.setPen(Qt::black);
    if (const CDibPicture* photo = message.senderPhoto())
        photo->Draw(painter, pictureX, y, 50, 50);
    else if (!message.senderDefaultPicture().isNull())
        painter.drawImage(QPoint(pictureX, y), message.senderDefaultPicture());

    if (const CTextObject* text = message.textBubble())
        text->Draw(painter, bubbleX, y + 20, message.side());
    else if (const CImageObject* photo = message.photoBubble())
        photo->Draw(painter, bubbleX, y + 20, message.side());

    // How the sending of an own message stands, left of its bubble's bottom.
    if (own && (message.delivery() == ChatMessage::Delivery::Waiting ||
                message.delivery() == ChatMessage::Delivery::NotSent)) {
        const bool failed = message.delivery() == ChatMessage::Delivery::NotSent;
        QFont small = font();
        small.setPixelSize(11);
        painter.save();
        painter.setFont(small);
        painter.setPen(failed ? QColor(200, 0, 0) : QColor(110, 110, 110));
        const int bottomY = y + 20 + message.bubbleHeight();
        painter.drawText(QRect(0, bottomY - 16, bubbleX - 4, 16), Qt::AlignRight | Qt::AlignBottom,
                         (failed ? kNotSent : kSending).pick(country()));
        painter.restore();
    }
}

} // namespace orvix
