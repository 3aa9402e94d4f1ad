#pragma once

#include <QString>

#include <chrono>

namespace orvix {

// Copies the resource at an http or https address into a file, blocking the calling thread until
// it is done. The calling thread handles no event meanwhile: the transfer runs on a thread of its
// own with its own network manager, so no other handler of the caller can run in the middle.
//
// The request sends the address itself as its User-Agent, bypasses every cache and uses no
// proxy; the body is read 2,048 bytes at a time. Redirects are followed, at most five of them,
// and only to http and https addresses. The file is written whole or not at all: the body goes
// to a temporary file beside the target, which replaces the target only when the whole body
// arrived with a 2xx status.
//
// Because the caller's thread waits, every download is bounded: a server silent for longer than
// the time-out, a transfer still running at the deadline, or a body larger than the size cap
// (announced or received) ends it. Anything that fails (an error status, a dropped connection,
// one of those limits, a target that cannot be written) gives 0 and leaves an existing target as
// it was. The defaults suit pictures; callers that fetch larger files set a larger cap:
//
//     UrlDownload(10s).setDeadline(60s).setSizeCap(32 * 1024 * 1024).run(address, path);
class UrlDownload {
public:
    static constexpr std::chrono::milliseconds kDefaultTimeout{15000};
    static constexpr std::chrono::milliseconds kDefaultDeadline{30000};
    static constexpr qint64 kDefaultSizeCap = 8 * 1024 * 1024;
    static constexpr int kMaxRedirects = 5;
    static constexpr qint64 kReadSize = 2048;

    // `timeout`: the longest wait for the server to connect, answer or send more of the body.
    explicit UrlDownload(std::chrono::milliseconds timeout = kDefaultTimeout);

    // The longest a whole download may take, counted from run(), redirects included.
    UrlDownload& setDeadline(std::chrono::milliseconds deadline);
    // The largest body, in bytes, that is written; a larger one fails the download.
    UrlDownload& setSizeCap(qint64 bytes);

    std::chrono::milliseconds timeout() const { return m_timeout; }
    std::chrono::milliseconds deadline() const { return m_deadline; }
    qint64 sizeCap() const { return m_sizeCap; }

    // 1 when the whole resource was written to targetPath, 0 otherwise.
    int run(const QString& address, const QString& targetPath) const;

private:
    std::chrono::milliseconds m_timeout;
    std::chrono::milliseconds m_deadline = kDefaultDeadline;
    qint64 m_sizeCap = kDefaultSizeCap;
};

// One download with the default limits: 1 when the file was written, 0 otherwise.
int DownloadUrl(const QString& address, const QString& targetPath);

} // namespace orvix
