#pragma once

#include "app/step_worker.h"
#include "chat/incoming_messages.h"
#include "platform/message_target.h"

#include <QObject>

namespace orvix {

class CChatListView;
class CChatView;

// The never-shown window that polls for new messages, once per step of its worker (the receive
// step, 2023, about every two seconds), and files what arrives into the room list and the
// conversation. A reply that says the member's PC access has ended closes the main window.
class CReceiveMsgDlg : public QObject, public MessageTarget, private IncomingMessages::Host {
    Q_OBJECT
public:
    static constexpr int ResourceId = 148;
    static inline const QByteArray Script = QByteArrayLiteral("/android/getreceivechatpc.php");

    // Starts the worker at once.
    CReceiveMsgDlg(CChatListView& list, CChatView& chatView, StepWorker::Timing timing = {});
    ~CReceiveMsgDlg() override;

    // The step: done = 0, then the poll request.
    void PollOnce();
    int onMessage(int message, WParam wParam, LParam lParam) override;

    StepWorker& worker() { return m_worker; }
    int polls() const { return m_polls; }

private:
    void OnPollReply(const QString& text);
    void requestRoomList() override;
    void relayoutConversation() override;
    void repaintConversation() override;
    void repaintRoomList() override;
    void playSound() override;
    int download(const QString& address, const QString& path) override;

    CChatListView& m_list;
    CChatView& m_chatView;
    IncomingMessages m_incoming;
    int m_polls = 0;
    StepWorker m_worker; // last: stopped before the rest goes
};

} // namespace orvix
