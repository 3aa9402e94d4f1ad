#pragma once

#include <QString>

#include <chrono>

namespace orvix {

// Copies the resource at an http or https address into a file, blocking the calling thread until
// it is done. The calling thread handles no event meanwhile: the transfer runs on a thread of its
// own with its own network manager, so no other handler of the caller can run in the middle.
//
// The request sends the address itself as its User-Agent, bypasses every cache, uses no proxy
// and does not follow redirects; the body is read 2,048 bytes at a time. The file is written
// whole or not at all: the body goes to a temporary file beside the target, which replaces the
// target only when the whole body arrived with a 2xx status. Anything else (an error status, a
// dropped connection, a server silent for longer than the time-out, a target that cannot be
// written) gives 0 and leaves an existing target as it was.
class UrlDownload {
public:
    static constexpr std::chrono::milliseconds kDefaultTimeout{30000};
    static constexpr qint64 kReadSize = 2048;

    // `timeout`: the longest wait for the server to connect, answer or send more of the body.
    explicit UrlDownload(std::chrono::milliseconds timeout = kDefaultTimeout);

    // 1 when the whole resource was written to targetPath, 0 otherwise.
    int run(const QString& address, const QString& targetPath) const;

private:
    std::chrono::milliseconds m_timeout;
};

// One download with the default time-out: 1 when the file was written, 0 otherwise.
int DownloadUrl(const QString& address, const QString& targetPath);

} // namespace orvix
