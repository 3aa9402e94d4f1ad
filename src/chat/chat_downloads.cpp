#include "chat/chat_downloads.h"

#include "chat/local_file_name.h"
#include "net/url_download.h"

#include <QElapsedTimer>
#include <QFile>
#include <QUrl>

namespace orvix {

ChatDownloads::ChatDownloads(Transfer transfer, Clock clock)
    : m_transfer(std::move(transfer))
    , m_clock(std::move(clock)) {
    if (!m_transfer) {
        m_transfer = [](const QString& address, const QString& path) {
            return UrlDownload(Timeout).run(address, path);
        };
    }
    if (!m_clock) {
        auto timer = std::make_shared<QElapsedTimer>();
        timer->start();
        m_clock = [timer] { return timer->elapsed(); };
    }
}

int ChatDownloads::fetch(const QString& address, const QString& path) {
    const QString host = QUrl(address).host();
    const qint64 start = m_clock();
    auto resting = m_restingUntil.find(host);
    if (resting != m_restingUntil.end()) {
        if (start < *resting)
            return 0;
        m_restingUntil.erase(resting);
    }
    ++m_attempts;
    const int written = m_transfer(address, path);
    if (!written && m_clock() - start >= SlowFailureMs)
        m_restingUntil.insert(host, m_clock() + RestMs);
    return written;
}

QString ChatDownloads::partnerPhoto(const QString& workFolder, const QString& partnerNumber,
                                    const QString& photoHost) {
    const QString name = QStringLiteral("mem%1.jpg").arg(partnerNumber);
    const QString path = LocalFileName::pathIn(workFolder, name);
    if (path.isEmpty())
        return {};
    QFile existing(path);
    if (!existing.open(QIODevice::ReadOnly))
        fetch(QStringLiteral("http://%1/image/memberphoto/%2").arg(photoHost, name), path);
    return path;
}

} // namespace orvix
