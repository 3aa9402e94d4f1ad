#include "chat/outgoing_chain.h"

#include "chat/local_file_name.h"
#include "net/reply_text.h"

namespace orvix {

OutgoingChain::OutgoingChain(SendQueue& queue, Host& host)
    : m_queue(queue)
    , m_host(host) {}

void OutgoingChain::setState(const QString& sequence, SendQueueEntry::State state) {
    SendQueueEntry* entry = m_queue.find(sequence);
    if (!entry)
        return;
    entry->state = state;
    m_host.entryChanged(*entry);
}

void OutgoingChain::SendNext() {
    setDone(0);
    SendQueueEntry* entry = m_queue.firstUnsent();
    if (!entry) {
        setDone(1);
        return;
    }
    entry->sent = true;
    if (entry->kind == QLatin1String("1")) {
        setState(entry->sequence, SendQueueEntry::State::Sending);
        startRequest(*entry);
    } else if (entry->kind == QLatin1String("3")) {
        setState(entry->sequence, SendQueueEntry::State::Sending);
        const qsizetype bar = entry->content.indexOf(u'|');
        Photo photo;
        photo.sequence = entry->sequence;
        photo.first = bar < 0 ? entry->content : entry->content.left(bar);
        photo.second = bar < 0 ? QString() : entry->content.mid(bar + 1);
        const int id = ++m_nextId;
        auto& started = m_photos.emplace(id, std::move(photo)).first->second;
        startStage(id, started);
    }
    // Any other kind is not sent: the worker's wait for the done flag runs out.
}

void OutgoingChain::startRequest(SendQueueEntry& entry) {
    const int id = ++m_nextId;
    m_requests.emplace(id, entry.sequence);
    m_host.sendRequest(id, SendQueue::requestBody(entry, m_deviceId));
}

bool OutgoingChain::startStage(int photoId, Photo& photo) {
    const QString& name = photo.stage == 1 ? photo.first : photo.second;
    const QString path = LocalFileName::pathIn(m_workFolder, name);
    if (path.isEmpty()) {
        failPhoto(photoId);
        return false;
    }
    const int id = ++m_nextId;
    m_uploads.emplace(id, photoId);
    m_host.startUpload(id, ChatFolder, name, path);
    return true;
}

void OutgoingChain::failPhoto(int photoId) {
    auto it = m_photos.find(photoId);
    if (it == m_photos.end())
        return;
    const QString sequence = it->second.sequence;
    m_photos.erase(it);
    setState(sequence, SendQueueEntry::State::NotSent);
}

void OutgoingChain::replyArrived(int request, const QString& replyText) {
    setDone(1);
    auto it = m_requests.find(request);
    if (it == m_requests.end())
        return;
    const QString sequence = it->second;
    m_requests.erase(it);
    // The server answers "1" when it stored the message and "0" when it refused it.
    const bool refused = ReplyFields(replyText).field(1) == QLatin1String("0");
    setState(sequence, refused ? SendQueueEntry::State::NotSent : SendQueueEntry::State::Sent);
}

void OutgoingChain::requestFailed(int request) {
    auto it = m_requests.find(request);
    if (it == m_requests.end())
        return;
    const QString sequence = it->second;
    m_requests.erase(it);
    setState(sequence, SendQueueEntry::State::NotSent);
}

void OutgoingChain::uploadFinished(int upload) {
    auto it = m_uploads.find(upload);
    if (it == m_uploads.end())
        return;
    const int photoId = it->second;
    m_uploads.erase(it);
    auto photo = m_photos.find(photoId);
    if (photo == m_photos.end())
        return;
    if (photo->second.stage == 1) {
        photo->second.stage = 2;
        startStage(photoId, photo->second);
    } else if (photo->second.stage == 2) {
        photo->second.stage = 3;
        m_host.startPause(photoId, m_photoPause);
    }
}

void OutgoingChain::uploadFailed(int upload) {
    auto it = m_uploads.find(upload);
    if (it == m_uploads.end())
        return;
    const int photoId = it->second;
    m_uploads.erase(it);
    failPhoto(photoId);
}

void OutgoingChain::photoPauseOver(int photoId) {
    auto photo = m_photos.find(photoId);
    if (photo == m_photos.end() || photo->second.stage != 3)
        return;
    const QString sequence = photo->second.sequence;
    m_photos.erase(photo);
    if (SendQueueEntry* entry = m_queue.find(sequence))
        startRequest(*entry);
}

} // namespace orvix
