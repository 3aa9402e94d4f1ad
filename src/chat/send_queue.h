#pragma once

#include <QString>

#include <deque>

namespace orvix {

// One message waiting to be sent, or sent. Entries keep their sequence ("idx") for the life of
// the process, so a message sent again carries the same one and the server can drop a duplicate.
struct SendQueueEntry {
    enum class State { Queued, Sending, Sent, NotSent };

    bool sent = false; // sending has started (and was not undone by a resend)
    QString sequence;
    QString roomNumber;
    QString senderNumber;
    QString partnerNumber;
    QString kind; // "1" text, "3" photo
    QString content;
    State state = State::Queued;
};

// The member's outgoing messages in the order they were written. Entries stay, marked sent,
// until the process ends.
class SendQueue {
public:
    // Appends a message; its sequence is the count of messages queued so far, "1" for the first.
    // Gives the new entry.
    const SendQueueEntry& EnqueueMessage(const QString& roomNumber, const QString& partnerNumber,
                                         const QString& kind, const QString& content,
                                         const QString& senderNumber);

    // The first entry whose sending has not started, or nullptr.
    SendQueueEntry* firstUnsent();
    SendQueueEntry* find(const QString& sequence);

    // Puts a message that was not sent back in line, with its sequence unchanged. False when it
    // is not a message that failed.
    bool resend(const QString& sequence);

    int size() const { return int(m_entries.size()); }
    const SendQueueEntry& at(int index) const { return m_entries[std::size_t(index)]; }

    // The form body of the send request: every value as it stands (the text had each "&"
    // replaced before it was queued).
    static QString requestBody(const SendQueueEntry& entry, const QString& deviceId);

private:
    std::deque<SendQueueEntry> m_entries; // a deque keeps entries in place as it grows
    int m_counter = 0;
};

} // namespace orvix
