#include "net/failure_notice.h"

#include "platform/message_target.h"

namespace orvix {

std::optional<FailureNotice> FailureNotice::from(int message, WParam wParam, LParam lParam) {
    if (message != Msg::RequestFailed || lParam == 0)
        return std::nullopt;
    if (wParam < WParam(Reason::Unreachable) || wParam > WParam(Reason::BadReply))
        return std::nullopt;
    return FailureNotice{reinterpret_cast<COrviHttp*>(lParam), static_cast<Reason>(wParam)};
}

int FailureNotice::sendTo(QObject* owner) const {
    return sendMessage(owner, Msg::RequestFailed, WParam(reason),
                       reinterpret_cast<LParam>(request));
}

} // namespace orvix
