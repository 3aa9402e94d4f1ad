#include "app/configuration.h"

#include <QProcessEnvironment>

namespace orvix {

Configuration Configuration::fromEnvironment(const QProcessEnvironment& environment) {
    Configuration configuration;
    const auto text = [&environment](const char* name, const QString& fallback) {
        const QString value = environment.value(QString::fromLatin1(name)).trimmed();
        return value.isEmpty() ? fallback : value;
    };
    configuration.serverAddress = text("ORVIX_SERVER", DefaultServerAddress);
    configuration.webHost = text("ORVIX_WEB_HOST", DefaultWebHost);
    bool ok = false;
    const uint port = text("ORVIX_UPLOAD_PORT", QString()).toUInt(&ok);
    if (ok && port >= 1 && port <= 65535)
        configuration.uploadPort = static_cast<quint16>(port);
    return configuration;
}

} // namespace orvix
