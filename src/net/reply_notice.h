#pragma once

#include "platform/window_messages.h"

#include <QString>

#include <optional>

class QObject;

namespace orvix {

class COrviHttp;

// The reply message (Msg::Reply, 1034) as its owner reads it: the request whose reply arrived
// and the Content-Length the server announced. A window that sends requests reads its replies
// like this, never by casting the message's parameters:
//
//     int onMessage(int message, WParam wParam, LParam lParam) override {
//         if (const auto reply = ReplyNotice::from(message, wParam, lParam)) {
//             OnReply(reply->text());
//             return 1;
//         }
//         return 0;
//     }
//
// The request is valid while the handler runs; it releases itself afterwards (see COrviHttp).
struct ReplyNotice {
    COrviHttp* request = nullptr;
    int announcedLength = 0;

    // The notice a message carries; nothing for any other message, or a reply without request.
    static std::optional<ReplyNotice> from(int message, WParam wParam, LParam lParam);

    // The reply body as text.
    const QString& text() const;

    // Delivers the notice to its owner synchronously (see sendMessage); the owner's result.
    int sendTo(QObject* owner) const;
};

} // namespace orvix
