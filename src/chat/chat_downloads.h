#pragma once

#include <QHash>
#include <QString>

#include <chrono>
#include <functional>

namespace orvix {

struct RoomListReply;

// The blocking downloads of the chat (partner photos, chat photos), each with a time-out. A host
// that let a download run into its time-out (or took long and then failed) is not asked again
// for a while: a room list of many partners on a dead photo host, or a burst of photo messages,
// then costs one time-out instead of one per file.
class ChatDownloads {
public:
    using Transfer = std::function<int(const QString& address, const QString& path)>;
    using Clock = std::function<qint64()>; // milliseconds

    static constexpr std::chrono::milliseconds Timeout{10000};
    // A failed download that took this long counts as an unresponsive host.
    static constexpr qint64 SlowFailureMs = 2000;
    // How long an unresponsive host is left alone.
    static constexpr qint64 RestMs = 30000;

    // By default: URL downloads with the time-out above and the monotonic clock.
    explicit ChatDownloads(Transfer transfer = {}, Clock clock = {});

    // 1 when the file was written; 0 otherwise, also without trying while the address's host
    // rests.
    int fetch(const QString& address, const QString& path);

    // The partner's photo file "mem<partner number>.jpg" in the working folder, fetched from
    // "http://<photo host>/image/memberphoto/" when no file of that name can be opened (an
    // existing file, even a damaged one, is never fetched again). Empty when the name the
    // partner number makes is not a plain file name.
    QString partnerPhoto(const QString& workFolder, const QString& partnerNumber,
                         const QString& photoHost);

    int attempts() const { return m_attempts; }

private:
    Transfer m_transfer;
    Clock m_clock;
    QHash<QString, qint64> m_restingUntil; // host → clock time
    int m_attempts = 0;
};

} // namespace orvix
