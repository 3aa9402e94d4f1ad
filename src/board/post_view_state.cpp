#include "board/post_view_state.h"

#include "board/opinion_chain.h"
#include "net/reply_text.h"

namespace orvix {

PostViewState::PostViewState(Session session)
    : m_session(std::move(session)) {}

QString PostViewState::open(const QString& mailIndex) {
    m_mailIndex = mailIndex;
    m_pageAddress = QStringLiteral("http://%1/android/orviview_pc_new.php?deviceid=%2&mailidx=%3")
                        .arg(m_session.server, m_session.deviceId, mailIndex);
    m_folder = OpinionChain::mailboxFolder(m_session.memberNumber);
    return m_pageAddress;
}

QString PostViewState::viewedBody() const {
    return QStringLiteral("deviceid=%1&mailidx=%2").arg(m_session.deviceId, m_mailIndex);
}

QString PostViewState::areaListAddress() const {
    return QStringLiteral(
               "http://%1/android/orvixarealist_windows.php?deviceid=%2&id=%3&password=%4")
        .arg(m_session.server, m_session.deviceId, m_session.memberId, m_session.password);
}

QString PostViewState::nameImage(qint32 time, const QString& extension) {
    m_imageFile =
        QStringLiteral("%1%2.%3").arg(m_session.memberNumber, QString::number(time), extension);
    return m_imageFile;
}

QString PostViewState::photoRegistrationBody() const {
    return QStringLiteral("deviceid=%1&mailidx=%2&imgfile=%3&forder=%4")
        .arg(m_session.deviceId, m_mailIndex, m_imageFile, m_folder);
}

QString PostViewState::documentBody(const QString& address, const QString& fileName,
                                    const QString& comment) const {
    // "|" separates the three parts: in the address or the file name it would move the rest
    // into the next part (the comment, last, may hold it).
    QString safeAddress = address;
    QString safeName = fileName;
    safeAddress.replace(u'|', u' ');
    safeName.replace(u'|', u' ');
    QString content = QStringLiteral("%1|%2|%3").arg(safeAddress, safeName, comment);
    content.replace(u'&', u' ');
    return QStringLiteral("deviceid=%1&mailidx=%2&content=%3")
        .arg(m_session.deviceId, m_mailIndex, content);
}

QString PostViewState::infoUpdateBody() const {
    return QStringLiteral("deviceid=%1&mailidx=%2&info=%3")
        .arg(m_session.deviceId, m_mailIndex, m_opinionInfo);
}

PostViewState::Next PostViewState::onReply(int kind, const QString& text) {
    if (ReplyFields(text).field(1) != QLatin1String("1"))
        return Next::PhpError;
    switch (kind) {
    case ViewedOrInfoUpdate:
        return Next::RequestPostList;
    case PhotoRegistration:
    case DocumentRegistration:
        return Next::ReloadAndInfoUpdate;
    default:
        return Next::Nothing;
    }
}

} // namespace orvix
