#include "app/login_reply.h"

#include "net/reply_text.h"

namespace orvix {

LoginReply LoginReply::parse(const QString& text) {
    const ReplyFields fields(text);
    LoginReply reply;
    if (fields.field(1) != QLatin1String("1"))
        return reply;
    const QString admission = fields.field(2);
    if (admission == QLatin1String("0")) {
        reply.outcome = Outcome::Pending;
        return reply;
    }
    if (admission == QLatin1String("2")) {
        reply.outcome = Outcome::Refused;
        return reply;
    }
    reply.outcome = Outcome::Admitted;
    reply.memberNumber = fields.field(3);
    reply.deviceId = fields.field(4);
    reply.photoMarker = fields.field(5);
    reply.storeNumber = fields.field(6);
    reply.latestVersionCode = fields.field(7);
    reply.latestVersionName = fields.field(8);
    reply.serverAddress = fields.field(9);
    reply.imageServerAddress = fields.field(10);
    reply.reservedField11 = fields.field(11);
    reply.reservedField12 = fields.field(12);
    reply.minimumVersionCode = fields.field(13);
    return reply;
}

} // namespace orvix
