#include "board/opinion_chain.h"

#include "net/reply_text.h"

namespace orvix {

void OpinionChain::start() {
    m_step = 0;
}

OpinionChain::Action OpinionChain::uploadFinished() {
    switch (m_step) {
    case 0:
        m_step = 1;
        return Action::UploadText;
    case 1:
        m_step = 2;
        return Action::Register;
    default:
        return Action::None;
    }
}

OpinionChain::Action OpinionChain::reply(const QString& text) {
    const ReplyFields fields(text);
    if (fields.field(1) != QLatin1String("1"))
        return Action::PhpError;
    switch (m_step) {
    case 2:
        m_info = fields.field(2);
        m_step = 3;
        return Action::SendOpinion;
    case 3:
        return Action::Close;
    default:
        return Action::None;
    }
}

QString OpinionChain::registrationBody(const QString& deviceId, const QString& html,
                                       const QString& name, qint32 time) {
    return QStringLiteral("deviceid=%1&style=text&content=%2&file=%3&idate=%4&title=0&imagefile=0")
        .arg(deviceId, html, name, QString::number(time));
}

QString OpinionChain::opinionBody(const QString& deviceId, const QString& mailIndex,
                                  const QString& info) {
    return QStringLiteral("deviceid=%1&mailidx=%2&info=%3").arg(deviceId, mailIndex, info);
}

QString OpinionChain::fileName(const QString& memberNumber, qint32 time) {
    return memberNumber + QString::number(time);
}

QString OpinionChain::mailboxFolder(const QString& memberNumber) {
    return QStringLiteral("mailbox/%1").arg(leadingNumber(memberNumber), 10, 10, QLatin1Char('0'));
}

} // namespace orvix
