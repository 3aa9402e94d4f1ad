#include "chat/send_queue.h"

namespace orvix {

const SendQueueEntry& SendQueue::EnqueueMessage(const QString& roomNumber,
                                                const QString& partnerNumber, const QString& kind,
                                                const QString& content,
                                                const QString& senderNumber) {
    ++m_counter;
    SendQueueEntry entry;
    entry.sequence = QString::number(m_counter);
    entry.roomNumber = roomNumber;
    entry.partnerNumber = partnerNumber;
    entry.kind = kind;
    entry.content = content;
    entry.senderNumber = senderNumber;
    m_entries.push_back(std::move(entry));
    return m_entries.back();
}

SendQueueEntry* SendQueue::firstUnsent() {
    for (SendQueueEntry& entry : m_entries) {
        if (!entry.sent)
            return &entry;
    }
    return nullptr;
}

SendQueueEntry* SendQueue::find(const QString& sequence) {
    for (SendQueueEntry& entry : m_entries) {
        if (entry.sequence == sequence)
            return &entry;
    }
    return nullptr;
}

bool SendQueue::resend(const QString& sequence) {
    SendQueueEntry* entry = find(sequence);
    if (!entry || entry->state != SendQueueEntry::State::NotSent)
        return false;
    entry->sent = false;
    entry->state = SendQueueEntry::State::Queued;
    return true;
}

QString SendQueue::requestBody(const SendQueueEntry& entry, const QString& deviceId) {
    return QStringLiteral("deviceid=%1&idx=%2&roomidx=%3&receiveidx=%4&content=%5&style=%6"
                          "&sendidx=%7&pcsend=1")
        .arg(deviceId, entry.sequence, entry.roomNumber, entry.partnerNumber, entry.content,
             entry.kind, entry.senderNumber);
}

} // namespace orvix
