#include "board/post_photo_prefetch.h"

#include "board/post_photo_files.h"

#include <QMetaObject>

namespace orvix {

PostPhotoPrefetch::PostPhotoPrefetch(QObject* parent)
    : QObject(parent)
    , m_current(std::make_shared<std::atomic<int>>(-1)) {
    m_pool.setMaxThreadCount(1);
}

PostPhotoPrefetch::~PostPhotoPrefetch() {
    // The worker stops before its next photo; the one in hand (a bounded decode) is awaited, so
    // that it never posts to an object that is gone.
    m_current->store(-1);
    m_pool.clear();
    m_pool.waitForDone();
}

void PostPhotoPrefetch::start(int generation, QList<Job> jobs) {
    m_current->store(generation);
    m_pool.clear();
    const auto current = m_current;
    m_pool.start([this, current, generation, jobs = std::move(jobs)] {
        for (const Job& job : jobs) {
            if (current->load() != generation)
                return;
            int width = 0;
            int height = 0;
            QImage photo = PostPhotoFiles::boxPicture(job.path, &width, &height);
            // Delivered on the owner's thread; dropped by Qt when the owner is gone by then.
            QMetaObject::invokeMethod(
                this,
                [this, generation, row = job.row, photo, width, height] {
                    emit decoded(generation, row, photo, width, height);
                },
                Qt::QueuedConnection);
        }
    });
}

bool PostPhotoPrefetch::waitForDone(int milliseconds) {
    return m_pool.waitForDone(milliseconds);
}

} // namespace orvix
