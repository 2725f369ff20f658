#include "OverlayWrites.h"

#include <QList>
#include <QMutex>
#include <QWaitCondition>

namespace {

struct Write {
    std::function<void()> run;
    // Taken by whichever of the queue and finish() gets to it first.
    bool taken = false;
};

} // namespace

struct OverlayWrites::Pending {
    QMutex mutex;
    QWaitCondition done;
    QList<std::shared_ptr<Write>> queued;
    int running = 0;
};

OverlayWrites::OverlayWrites() : m_pending(std::make_shared<Pending>()) {}

void OverlayWrites::start(QThreadPool& pool, std::function<void()> write)
{
    auto entry = std::make_shared<Write>(Write{std::move(write)});
    {
        QMutexLocker lock(&m_pending->mutex);
        m_pending->queued.append(entry);
    }
    pool.start([pending = m_pending, entry] {
        {
            QMutexLocker lock(&pending->mutex);
            if (entry->taken)
                return;
            entry->taken = true;
            pending->queued.removeOne(entry);
            ++pending->running;
        }
        entry->run();
        QMutexLocker lock(&pending->mutex);
        --pending->running;
        pending->done.wakeAll();
    });
}

void OverlayWrites::finish()
{
    QList<std::shared_ptr<Write>> queued;
    {
        QMutexLocker lock(&m_pending->mutex);
        queued.swap(m_pending->queued);
        for (const auto& entry : queued)
            entry->taken = true;
    }
    for (const auto& entry : queued)
        entry->run();
    QMutexLocker lock(&m_pending->mutex);
    while (m_pending->running > 0)
        m_pending->done.wait(&m_pending->mutex);
}
