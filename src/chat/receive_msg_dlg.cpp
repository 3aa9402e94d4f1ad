#include "chat/receive_msg_dlg.h"

#include "app/orvix_win_app.h"
#include "chat/chat_list_view.h"
#include "chat/chat_view.h"
#include "chat/poll_reply.h"
#include "imaging/dib_picture.h"
#include "net/reply_notice.h"

namespace orvix {

CReceiveMsgDlg::CReceiveMsgDlg(CChatListView& list, CChatView& chatView, StepWorker::Timing timing)
    : QObject(&list)
    , m_list(list)
    , m_chatView(chatView)
    , m_incoming(list.rooms(), chatView.conversation(), *this)
    , m_worker(this, Msg::ReceiveStep, timing) {
    setObjectName(QStringLiteral("RECEIVEMESSAGE"));
    m_worker.start();
}

CReceiveMsgDlg::~CReceiveMsgDlg() {
    m_worker.stop();
}

void CReceiveMsgDlg::PollOnce() {
    m_worker.setDone(0);
    ++m_polls;
    COrvixWinApp& app = COrvixWinApp::current();
    app.sendRequest(Script, QStringLiteral("deviceid=%1").arg(app.session().deviceId), this);
}

int CReceiveMsgDlg::onMessage(int message, WParam wParam, LParam lParam) {
    if (message == Msg::ReceiveStep) {
        PollOnce();
        return 1;
    }
    if (const auto reply = ReplyNotice::from(message, wParam, lParam)) {
        m_worker.setDone(1);
        OnPollReply(reply->text());
        return 1;
    }
    return 0;
}

void CReceiveMsgDlg::OnPollReply(const QString& text) {
    const PollReply reply = PollReply::parse(text);
    switch (reply.status) {
    case PollReply::Status::Failure:
    case PollReply::Status::Nothing:
        return;
    case PollReply::Status::AccessEnded:
        // The main window ends the session with the server and then closes for good.
        if (QWidget* main = COrvixWinApp::current().window(COrvixWinApp::Window::Main))
            main->close();
        return;
    case PollReply::Status::Record: {
        // The member photo is loaded after the windows are made: take it as it is now.
        COrvixWinApp& app = COrvixWinApp::current();
        IncomingMessages::Settings settings;
        settings.workFolder = app.session().workFolder;
        settings.memberPhoto =
            std::shared_ptr<const CDibPicture>(std::shared_ptr<void>(), app.memberPhoto());
        settings.defaultMemberPicture = app.defaultMemberPicture();
        m_incoming.setSettings(std::move(settings));
        m_incoming.Accept(reply);
        return;
    }
    }
}

void CReceiveMsgDlg::requestRoomList() {
    m_list.RequestRoomList();
}

void CReceiveMsgDlg::relayoutConversation() {
    m_chatView.Relayout();
}

void CReceiveMsgDlg::repaintConversation() {
    m_chatView.Relayout();
}

void CReceiveMsgDlg::repaintRoomList() {
    m_list.viewport()->update();
}

void CReceiveMsgDlg::playSound() {
    COrvixWinApp::current().PlayNotificationSound();
}

int CReceiveMsgDlg::download(const QString& address, const QString& path) {
    return m_list.downloads().fetch(address, path);
}

} // namespace orvix
