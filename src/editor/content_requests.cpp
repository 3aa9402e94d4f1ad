#include "editor/content_requests.h"

namespace orvix {

QString ContentRequests::value(QString text) {
    return text.replace(u'&', u' ');
}

QString ContentRequests::registration(const QString& deviceId, const QString& style,
                                      const QString& html, const QString& fileName, qint32 time,
                                      const QString& title, const QString& photoList) {
    QString shownTitle = title;
    shownTitle.replace(u'<', u'[').replace(u'>', u']');
    return QStringLiteral("deviceid=") + value(deviceId) + QStringLiteral("&style=") +
           value(style) + QStringLiteral("&content=") + value(html) + QStringLiteral("&file=") +
           value(fileName) + QStringLiteral("&idate=") + QString::number(time) +
           QStringLiteral("&title=") + value(shownTitle) + QStringLiteral("&imagefile=") +
           value(photoList);
}

QString ContentRequests::postInfo(const QString& deviceId, const QString& mailIndex,
                                  const QString& infoText) {
    return QStringLiteral("deviceid=") + value(deviceId) + QStringLiteral("&mailidx=") +
           value(mailIndex) + QStringLiteral("&info=") + value(infoText);
}

QString ContentRequests::info(const QString& deviceId, const QString& infoText) {
    return QStringLiteral("deviceid=") + value(deviceId) + QStringLiteral("&info=") +
           value(infoText);
}

} // namespace orvix
