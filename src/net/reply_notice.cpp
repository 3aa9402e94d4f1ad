#include "net/reply_notice.h"

#include "net/orvi_http.h"
#include "platform/message_target.h"

#include <climits>

namespace orvix {

std::optional<ReplyNotice> ReplyNotice::from(int message, WParam wParam, LParam lParam) {
    if (message != Msg::Reply || lParam == 0)
        return std::nullopt;
    const int length = static_cast<int>(qBound(WParam(INT_MIN), wParam, WParam(INT_MAX)));
    return ReplyNotice{reinterpret_cast<COrviHttp*>(lParam), length};
}

const QString& ReplyNotice::text() const {
    return request->replyText();
}

int ReplyNotice::sendTo(QObject* owner) const {
    return sendMessage(owner, Msg::Reply, announcedLength, reinterpret_cast<LParam>(request));
}

} // namespace orvix
