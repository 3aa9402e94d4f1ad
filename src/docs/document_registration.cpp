#include "docs/document_registration.h"

#include "net/reply_text.h"

namespace orvix {

namespace {

QString formValue(QString value) {
    value.replace(u'&', u' ');
    return value;
}

} // namespace

QString DocumentRegistration::fileAddress(const QString& imageServer, const QString& folder,
                                          const QString& name) {
    return QStringLiteral("http://%1/image/%2/%3").arg(imageServer, folder, name);
}

QString DocumentRegistration::body(const QString& deviceId, const QString& path,
                                   const QString& comment, const QString& upperExtension,
                                   const QString& fileName) {
    return QStringLiteral("deviceid=%1&path=%2&comment=%3&ext=%4&filename=%5")
        .arg(formValue(deviceId), formValue(path), formValue(comment), formValue(upperExtension),
             formValue(fileName));
}

DocumentRegistration::Outcome DocumentRegistration::outcomeOf(const QString& replyText) {
    const ReplyFields fields(replyText);
    if (fields.field(1) != u"1")
        return Outcome::SendError;
    if (fields.field(2) == u"2")
        return Outcome::Overwritten;
    if (fields.field(2) == u"1")
        return Outcome::Uploaded;
    return Outcome::Unknown;
}

QString DocumentRegistration::message(Outcome outcome) {
    switch (outcome) {
    case Outcome::SendError:
        return QStringLiteral("전송 에러");
    case Outcome::Overwritten:
        return QStringLiteral("같은 파일이름이 존재 합니다. 덮어 쓰기를 하였습니다.");
    case Outcome::Uploaded:
        return QStringLiteral("파일을 서버에 업로드 하였습니다.");
    case Outcome::Unknown:
        break;
    }
    return {};
}

} // namespace orvix
