#include "server_process.h"

#include <QDeadlineTimer>
#include <QHostAddress>
#include <QRegularExpression>
#include <QTcpSocket>
#include <QUrl>

namespace orvix::test {

ServerProcess::ServerProcess(QString binary)
    : m_binary(std::move(binary)) {
    m_process.setProcessChannelMode(QProcess::MergedChannels);
}

ServerProcess::~ServerProcess() {
    stop();
}

bool ServerProcess::start(const QStringList& extraOptions) {
    QStringList arguments{
        QStringLiteral("serve"),  QStringLiteral("--data"),        m_data.path(),
        QStringLiteral("--bind"), QStringLiteral("127.0.0.1"),     QStringLiteral("--http-port"),
        QStringLiteral("0"),      QStringLiteral("--upload-port"), QStringLiteral("0")};
    arguments << extraOptions;
    m_output.clear();
    m_process.start(m_binary, arguments);
    if (!m_process.waitForStarted(10000))
        return false;
    static const QRegularExpression ready(
        QStringLiteral("http [^ ,]*:(\\d+).*upload [^ ,]*:(\\d+)"));
    QDeadlineTimer deadline(20000);
    while (!deadline.hasExpired()) {
        if (!m_process.waitForReadyRead(
                static_cast<int>(qMax<qint64>(1, deadline.remainingTime()))))
            break;
        m_output += m_process.readAll();
        const auto match = ready.match(QString::fromUtf8(m_output));
        if (match.hasMatch()) {
            m_httpPort = static_cast<quint16>(match.captured(1).toUInt());
            m_uploadPort = static_cast<quint16>(match.captured(2).toUInt());
            return true;
        }
    }
    return false;
}

void ServerProcess::stop() {
    if (m_process.state() == QProcess::NotRunning)
        return;
    m_process.terminate();
    if (!m_process.waitForFinished(10000)) {
        m_process.kill();
        m_process.waitForFinished(5000);
    }
    m_output += m_process.readAll();
}

int ServerProcess::waitForExit(int timeoutMs) {
    if (!m_process.waitForFinished(timeoutMs) && m_process.state() != QProcess::NotRunning)
        return -1;
    m_output += m_process.readAll();
    return m_process.exitStatus() == QProcess::NormalExit ? m_process.exitCode() : -1;
}

QByteArray ServerProcess::admin(const QStringList& arguments) const {
    QProcess process;
    process.start(m_binary,
                  QStringList{QStringLiteral("admin"), QStringLiteral("--data"), m_data.path()} +
                      arguments);
    if (!process.waitForFinished(20000) || process.exitStatus() != QProcess::NormalExit ||
        process.exitCode() != 0)
        return {};
    QByteArray output = process.readAllStandardOutput();
    return output.isNull() ? QByteArray("") : output;
}

QString ServerProcess::httpAddress() const {
    return QStringLiteral("127.0.0.1:%1").arg(m_httpPort);
}

ServerProcess::Reply ServerProcess::exchange(const QByteArray& request) const {
    QTcpSocket socket;
    socket.connectToHost(QHostAddress::LocalHost, m_httpPort);
    socket.write(request);
    QByteArray reply;
    while (socket.waitForReadyRead(5000)) {
        reply += socket.readAll();
        const qsizetype start = reply.indexOf("\r\n\r\n") + 4;
        const qsizetype at = reply.indexOf("Content-Length: ") + 16;
        if (start >= 4 && at >= 16 &&
            reply.size() - start >= reply.mid(at, reply.indexOf('\r', at) - at).toInt())
            return {reply.left(reply.indexOf("\r\n")), reply.mid(start)};
    }
    return {};
}

ServerProcess::Reply ServerProcess::get(const QString& address) const {
    return exchange("GET " + QUrl(address).toEncoded(QUrl::RemoveScheme | QUrl::RemoveAuthority) +
                    " HTTP/1.1\r\nHost: 127.0.0.1\r\n\r\n");
}

} // namespace orvix::test
