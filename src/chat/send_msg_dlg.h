#pragma once

#include "app/step_worker.h"
#include "chat/outgoing_chain.h"
#include "chat/send_queue.h"
#include "platform/message_target.h"

#include <QObject>

#include <map>

namespace orvix {

class CChatListView;
class CChatView;
class COrviHttp;
class COrviUpload;

// The never-shown window that sends the member's messages, one per step of its worker (the send
// step, 2022, about every two seconds): a text with one request, a photo with two uploads to
// "chatdata" (thumbnail first) and, after a five-second pause on a timer, the request. Each own
// bubble shows how its sending stands.
class CSendMsgDlg : public QObject, public MessageTarget, private OutgoingChain::Host {
    Q_OBJECT
public:
    static constexpr int ResourceId = 147;
    static inline const QByteArray Script = QByteArrayLiteral("/android/chatsendtextpc.php");

    // Starts the worker at once.
    CSendMsgDlg(CChatListView& list, CChatView& chatView, StepWorker::Timing timing = {});
    ~CSendMsgDlg() override;

    // Queues a message of the member; gives its sequence.
    QString EnqueueMessage(const QString& roomNumber, const QString& partnerNumber,
                           const QString& kind, const QString& content);
    // Puts a message that was not sent back in line; false for any other.
    bool SendAgain(const QString& sequence);

    int onMessage(int message, WParam wParam, LParam lParam) override;

    const SendQueue& queue() const { return m_queue; }
    StepWorker& worker() { return m_worker; }
    OutgoingChain& chain() { return m_chain; }

private:
    void sendRequest(int request, const QString& body) override;
    void startUpload(int upload, const QString& folder, const QString& name,
                     const QString& localPath) override;
    void startPause(int photo, std::chrono::milliseconds pause) override;
    void entryChanged(const SendQueueEntry& entry) override;
    void setDone(int done) override { m_worker.setDone(done); }

    CChatListView& m_list;
    CChatView& m_chatView;
    SendQueue m_queue;
    OutgoingChain m_chain;
    std::map<const COrviHttp*, int> m_requests;
    std::map<const COrviUpload*, int> m_uploads;
    StepWorker m_worker; // last: stopped before the rest goes
};

} // namespace orvix
