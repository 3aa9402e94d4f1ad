#include "platform/message_target.h"

#include "platform/worker_thread.h"

#include <QMetaObject>
#include <QObject>
#include <QPointer>
#include <QThread>

namespace orvix {

MessageTarget* messageTargetOf(QObject* window) {
    return dynamic_cast<MessageTarget*>(window);
}

int sendMessage(QObject* window, int message, WParam wParam, LParam lParam) {
    MessageTarget* target = messageTargetOf(window);
    if (!target)
        return 0;
    QThread* current = QThread::currentThread();
    if (window->thread() == current)
        return target->onMessage(message, wParam, lParam);
    if (auto* worker = dynamic_cast<WorkerThread*>(current))
        return worker->deliver(window, message, wParam, lParam);

    int result = 0;
    QPointer<QObject> guard(window);
    QMetaObject::invokeMethod(
        window,
        [&result, guard, target, message, wParam, lParam] {
            if (guard)
                result = target->onMessage(message, wParam, lParam);
        },
        Qt::BlockingQueuedConnection);
    return result;
}

} // namespace orvix
