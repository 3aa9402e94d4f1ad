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

bool hasSuccessStatus(const QNetworkReply& reply) {
    const QVariant status = reply.attribute(QNetworkRequest::HttpStatusCodeAttribute);
    return status.isValid() && status.toInt() >= 200 && status.toInt() < 300;
}

bool isRedirectStatus(int status) {
    return status == 301 || status == 302 || status == 303 || status == 307 || status == 308;
}

// One transfer on a thread of its own: the network manager, the replies, the timers and the file
// all live and die on this thread while the caller waits for it to finish.
class DownloadThread final : public QThread {
public:
    DownloadThread(QUrl url, QString address, QString targetPath, const UrlDownload& limits)
        : m_url(std::move(url))
        , m_address(std::move(address))
        , m_targetPath(std::move(targetPath))
        , m_limits(limits) {}

    int result() const { return m_result; }

protected:
    void run() override { m_result = transfer() ? 1 : 0; }

private:
    enum class Hop { Failed, Redirected, Done };

    bool transfer();
    // One request of the chain; on a redirect `m_url` becomes the next address.
    Hop fetch(QNetworkAccessManager& manager, QSaveFile& file, QTimer& deadline);
    // Appends everything the reply holds to the file; false when the file refused some of it or
    // the body outgrew the cap.
    bool copyAvailable(QNetworkReply& reply, QSaveFile& file);

    QUrl m_url;
    const QString m_address;
    const QString m_targetPath;
    const UrlDownload m_limits;
    qint64 m_written = 0;
    int m_result = 0;
};

bool DownloadThread::copyAvailable(QNetworkReply& reply, QSaveFile& file) {
    std::array<char, UrlDownload::kReadSize> buffer;
    for (;;) {
        const qint64 read = reply.read(buffer.data(), qint64(buffer.size()));
        if (read <= 0)
            return true;
        m_written += read;
        if (m_written > m_limits.sizeCap())
            return false;
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
    QTimer deadline;
    deadline.setSingleShot(true);
    deadline.setInterval(m_limits.deadline());
    deadline.start();
    for (int redirects = 0;; ++redirects) {
        switch (fetch(manager, file, deadline)) {
        case Hop::Failed:
            return false;
        case Hop::Done:
            return file.commit();
        case Hop::Redirected:
            if (redirects == UrlDownload::kMaxRedirects)
                return false;
            continue;
        }
    }
}

DownloadThread::Hop DownloadThread::fetch(QNetworkAccessManager& manager, QSaveFile& file,
                                          QTimer& deadline) {
    if (!deadline.isActive())
        return Hop::Failed;
    QNetworkRequest request(m_url);
    // Every hop of a redirect chain names the address the download started from.
    request.setRawHeader("User-Agent", m_address.toUtf8());
    request.setAttribute(QNetworkRequest::CacheLoadControlAttribute,
                         QNetworkRequest::AlwaysNetwork);
    request.setAttribute(QNetworkRequest::CacheSaveControlAttribute, false);
    // Redirects are followed here, one request at a time, so that each is looked at first.
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute,
                         QNetworkRequest::ManualRedirectPolicy);

    QEventLoop loop;
    QTimer silence;
    silence.setSingleShot(true);
    silence.setInterval(m_limits.timeout());
    bool failed = false;
    bool redirect = false;
    const std::unique_ptr<QNetworkReply> reply(manager.get(request));

    const auto fail = [&] {
        if (failed)
            return;
        failed = true;
        reply->abort();
    };
    const auto status = [&] {
        return reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    };
    QObject::connect(reply.get(), &QNetworkReply::metaDataChanged, &loop, [&] {
        silence.start();
        if (status() < 200)
            return; // an interim head; the final one follows
        redirect = isRedirectStatus(status()) && reply->hasRawHeader("Location");
        if (redirect)
            return;
        const QVariant announced = reply->header(QNetworkRequest::ContentLengthHeader);
        if (status() >= 300 || (announced.isValid() && announced.toLongLong() > m_limits.sizeCap()))
            fail();
    });
    QObject::connect(reply.get(), &QNetworkReply::readyRead, &loop, [&] {
        silence.start();
        if (failed)
            return;
        if (redirect) {
            reply->readAll(); // a redirect's own body is not the resource
            return;
        }
        if (!copyAvailable(*reply, file))
            fail();
    });
    QObject::connect(reply.get(), &QNetworkReply::finished, &loop, &QEventLoop::quit);
    QObject::connect(&silence, &QTimer::timeout, &loop, fail);
    const QMetaObject::Connection atDeadline =
        QObject::connect(&deadline, &QTimer::timeout, &loop, fail);

    silence.start();
    if (!reply->isFinished())
        loop.exec();
    QObject::disconnect(atDeadline);

    if (failed || reply->error() != QNetworkReply::NoError)
        return Hop::Failed;
    if (redirect) {
        const QUrl next = m_url.resolved(QUrl::fromEncoded(reply->rawHeader("Location")));
        if (!isHttpAddress(next))
            return Hop::Failed;
        m_url = next;
        return Hop::Redirected;
    }
    if (!hasSuccessStatus(*reply) || !copyAvailable(*reply, file))
        return Hop::Failed;
    return Hop::Done;
}

} // namespace

UrlDownload::UrlDownload(std::chrono::milliseconds timeout)
    : m_timeout(timeout) {}

UrlDownload& UrlDownload::setDeadline(std::chrono::milliseconds deadline) {
    m_deadline = deadline;
    return *this;
}

UrlDownload& UrlDownload::setSizeCap(qint64 bytes) {
    m_sizeCap = bytes;
    return *this;
}

int UrlDownload::run(const QString& address, const QString& targetPath) const {
    QUrl url(address);
    if (!isHttpAddress(url) || targetPath.isEmpty())
        return 0;
    DownloadThread thread(std::move(url), address, targetPath, *this);
    thread.start();
    // The thread's own timers end the transfer by the deadline at the latest.
    thread.wait();
    return thread.result();
}

int DownloadUrl(const QString& address, const QString& targetPath) {
    return UrlDownload().run(address, targetPath);
}

} // namespace orvix
