#include "chat/send_msg_dlg.h"

#include "app/orvix_win_app.h"
#include "chat/chat_list_view.h"
#include "chat/chat_message.h"
#include "chat/chat_message_list.h"
#include "chat/chat_room.h"
#include "chat/chat_view.h"
#include "net/orvi_http.h"
#include "net/orvi_upload.h"
#include "net/reply_notice.h"
#include "net/upload_notice.h"

#include <QTimer>

namespace orvix {

CSendMsgDlg::CSendMsgDlg(CChatListView& list, CChatView& chatView, StepWorker::Timing timing)
    : QObject(&list)
    , m_list(list)
    , m_chatView(chatView)
    , m_chain(m_queue, *this)
    , m_worker(this, Msg::SendStep, timing) {
    setObjectName(QStringLiteral("SENDMESSAGE"));
    const SessionRecord& session = COrvixWinApp::current().session();
    m_chain.setDeviceId(session.deviceId);
    m_chain.setWorkFolder(session.workFolder);
    m_worker.start();
}

CSendMsgDlg::~CSendMsgDlg() {
    m_worker.stop();
}

QString CSendMsgDlg::EnqueueMessage(const QString& roomNumber, const QString& partnerNumber,
                                    const QString& kind, const QString& content) {
    return m_queue
        .EnqueueMessage(roomNumber, partnerNumber, kind, content,
                        COrvixWinApp::current().session().memberNumber)
        .sequence;
}

bool CSendMsgDlg::SendAgain(const QString& sequence) {
    return m_queue.resend(sequence);
}

int CSendMsgDlg::onMessage(int message, WParam wParam, LParam lParam) {
    if (message == Msg::SendStep) {
        m_chain.SendNext();
        return 1;
    }
    if (const auto reply = ReplyNotice::from(message, wParam, lParam)) {
        auto it = m_requests.find(reply->request);
        if (it == m_requests.end()) {
            setDone(1);
            return 1;
        }
        const int id = it->second;
        m_requests.erase(it);
        m_chain.replyArrived(id, reply->text());
        return 1;
    }
    if (const auto notice = UploadNotice::from(message, wParam, lParam)) {
        if (notice->kind != UploadNotice::Kind::Finished)
            return 1;
        auto it = m_uploads.find(notice->upload);
        if (it != m_uploads.end()) {
            const int id = it->second;
            m_uploads.erase(it);
            m_chain.uploadFinished(id);
        }
        return 1;
    }
    return 0;
}

void CSendMsgDlg::sendRequest(int request, const QString& body) {
    COrviHttp* http = COrvixWinApp::current().sendRequest(Script, body, this);
    if (!http) {
        m_chain.requestFailed(request);
        return;
    }
    m_requests.emplace(http, request);
    // A request that ends without a reply (no connection, the reply time-out, a broken reply)
    // releases itself without a word: that is when the message was not sent.
    connect(http, &QObject::destroyed, this, [this, http, request] {
        auto it = m_requests.find(http);
        if (it != m_requests.end() && it->second == request) {
            m_requests.erase(it);
            m_chain.requestFailed(request);
        }
    });
}

void CSendMsgDlg::startUpload(int upload, const QString& folder, const QString& name,
                              const QString& localPath) {
    COrviUpload* transfer = COrvixWinApp::current().startUpload(folder, name, localPath, this);
    if (!transfer) {
        m_chain.uploadFailed(upload);
        return;
    }
    m_uploads.emplace(transfer, upload);
    connect(transfer, &QObject::destroyed, this, [this, transfer, upload] {
        auto it = m_uploads.find(transfer);
        if (it != m_uploads.end() && it->second == upload) {
            m_uploads.erase(it);
            m_chain.uploadFailed(upload);
        }
    });
}

void CSendMsgDlg::startPause(int photo, std::chrono::milliseconds pause) {
    // A timer, so the window thread goes on meanwhile.
    QTimer::singleShot(pause, this, [this, photo] { m_chain.photoPauseOver(photo); });
}

void CSendMsgDlg::entryChanged(const SendQueueEntry& entry) {
    ChatRoom* room = m_list.FindRoom(entry.roomNumber);
    if (!room || !room->messages)
        return;
    ChatMessage* message = room->messages->findBySequence(entry.sequence);
    if (!message)
        return;
    using State = SendQueueEntry::State;
    switch (entry.state) {
    case State::Queued:
    case State::Sending:
        message->setDelivery(ChatMessage::Delivery::Waiting);
        break;
    case State::Sent:
        message->setDelivery(ChatMessage::Delivery::Sent);
        break;
    case State::NotSent:
        message->setDelivery(ChatMessage::Delivery::NotSent);
        break;
    }
    m_chatView.viewport()->update();
}

} // namespace orvix
