#pragma once

#include "platform/window_messages.h"

#include <optional>

class QObject;

namespace orvix {

class COrviHttp;

// The failure message (Msg::RequestFailed, 1036): a request that will never bring a reply. A
// request sends it to its owner instead of the reply message when the server cannot be reached,
// does not answer in time, or answers something that is not a reply. Owners that have nothing to
// do about it ignore the message (their handler returns 0); owners that wait for the reply stop
// waiting:
//
//     if (const auto failure = FailureNotice::from(message, wParam, lParam)) {
//         showUnreachable();
//         return 1;
//     }
//
// The request is valid while the handler runs; it releases itself afterwards (see COrviHttp).
struct FailureNotice {
    // The message's first parameter.
    enum class Reason {
        Unreachable = 1, // no connection: refused, unknown host, no route, unusable address
        TimedOut = 2,    // no whole reply within the request's time-out
        BadReply = 3,    // the server answered something that is not a reply, or hung up early
    };

    COrviHttp* request = nullptr;
    Reason reason = Reason::Unreachable;

    // The notice a message carries; nothing for any other message, an unknown reason or a
    // failure without request.
    static std::optional<FailureNotice> from(int message, WParam wParam, LParam lParam);

    // Delivers the notice to its owner synchronously (see sendMessage); the owner's result.
    int sendTo(QObject* owner) const;
};

} // namespace orvix
