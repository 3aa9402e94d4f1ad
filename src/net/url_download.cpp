#include "net/url_download.h"

#include <QEventLoop>
#include <QNetworkAccessManager>
#include <QNetworkProxy>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QSaveFile>
#include <QThread>
#include <QTimer>
#include <QUrl>

#include <array>
#include <memory>

namespace orvix {

namespace {

bool isHttpAddress(const QUrl& url) {
    return url.isValid() && !url.host().isEmpty() &&
           (url.scheme() == u"http" || url.scheme() == u"https");
}

// One transfer on a thread of its own: the network manager, the reply, the time-out and the
// file all live and die on this thread while the caller waits for it to finish.
class DownloadThread final : public QThread {
public:
    DownloadThread(QUrl url, QString address, QString targetPath, std::chrono::milliseconds timeout)
        : m_url(std::move(url))
        , m_address(std::move(address))
        , m_targetPath(std::move(targetPath))
        , m_timeout(timeout) {}

    int result() const { return m_result; }

protected:
    void run() override { m_result = transfer() ? 1 : 0; }

private:
    bool transfer();

    const QUrl m_url;
    const QString m_address;
    const QString m_targetPath;
    const std::chrono::milliseconds m_timeout;
    int m_result = 0;
};

bool hasSuccessStatus(const QNetworkReply& reply) {
    const QVariant status = reply.attribute(QNetworkRequest::HttpStatusCodeAttribute);
    return status.isValid() && status.toInt() >= 200 && status.toInt() < 300;
}

// Appends everything the reply holds to the file; false when the file refused some of it.
bool copyAvailable(QNetworkReply& reply, QSaveFile& file) {
    std::array<char, UrlDownload::kReadSize> buffer;
    for (;;) {
        const qint64 read = reply.read(buffer.data(), qint64(buffer.size()));
        if (read <= 0)
            return true;
        if (file.write(buffer.data(), read) != read)
            return false;
    }
}

bool DownloadThread::transfer() {
    // Opening the file first means a target that cannot be written costs no request. Nothing is
    // visible at the target until commit().
    QSaveFile file(m_targetPath);
    if (!file.open(QIODevice::WriteOnly))
        return false;

    QNetworkAccessManager manager;
    manager.setProxy(QNetworkProxy::NoProxy);
    QNetworkRequest request(m_url);
    request.setRawHeader("User-Agent", m_address.toUtf8());
    request.setAttribute(QNetworkRequest::CacheLoadControlAttribute,
                         QNetworkRequest::AlwaysNetwork);
    request.setAttribute(QNetworkRequest::CacheSaveControlAttribute, false);
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute,
                         QNetworkRequest::ManualRedirectPolicy);

    QEventLoop loop;
    QTimer silence;
    silence.setSingleShot(true);
    silence.setInterval(m_timeout);
    bool failed = false;
    const std::unique_ptr<QNetworkReply> reply(manager.get(request));

    const auto fail = [&] {
        if (failed)
            return;
        failed = true;
        reply->abort();
    };
    QObject::connect(reply.get(), &QNetworkReply::metaDataChanged, &loop, [&] {
        silence.start();
        if (!hasSuccessStatus(*reply))
            fail();
    });
    QObject::connect(reply.get(), &QNetworkReply::readyRead, &loop, [&] {
        silence.start();
        if (!failed && !copyAvailable(*reply, file))
            fail();
    });
    QObject::connect(reply.get(), &QNetworkReply::finished, &loop, &QEventLoop::quit);
    QObject::connect(&silence, &QTimer::timeout, &loop, fail);

    silence.start();
    if (!reply->isFinished())
        loop.exec();
    silence.stop();

    if (failed || reply->error() != QNetworkReply::NoError || !hasSuccessStatus(*reply))
        return false;
    if (!copyAvailable(*reply, file))
        return false;
    return file.commit();
}

} // namespace

UrlDownload::UrlDownload(std::chrono::milliseconds timeout)
    : m_timeout(timeout) {}

int UrlDownload::run(const QString& address, const QString& targetPath) const {
    QUrl url(address);
    if (!isHttpAddress(url) || targetPath.isEmpty())
        return 0;
    DownloadThread thread(std::move(url), address, targetPath, m_timeout);
    thread.start();
    thread.wait();
    return thread.result();
}

int DownloadUrl(const QString& address, const QString& targetPath) {
    return UrlDownload().run(address, targetPath);
}

} // namespace orvix
