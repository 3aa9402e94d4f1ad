#pragma once

#include "platform/window_messages.h"

class QObject;

namespace orvix {

// A window that handles the program's numbered messages. The handler returns 1 when it acted
// on the message and 0 when it ignored it.
class MessageTarget {
public:
    virtual int onMessage(int message, WParam wParam, LParam lParam) = 0;

protected:
    MessageTarget() = default;
    MessageTarget(const MessageTarget&) = default;
    MessageTarget& operator=(const MessageTarget&) = default;
    ~MessageTarget() = default;
};

// Delivers a message synchronously to a window and returns its handler's result.
//
// On the window's own thread the handler runs at once. From a WorkerThread the call blocks
// until the window thread has run the handler, and gives up with 0 when the worker is told to
// stop. From any other thread it blocks until the window thread has handled it. A window that
// is not a MessageTarget (or no window) ignores the message: the result is 0.
int sendMessage(QObject* window, int message, WParam wParam = 0, LParam lParam = 0);

// The handler of a window that is a MessageTarget, or nullptr.
MessageTarget* messageTargetOf(QObject* window);

} // namespace orvix
