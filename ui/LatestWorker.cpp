#include "ui/LatestWorker.h"

#include <mutex>

#include <QPointer>
#include <QThreadPool>

#include "imaging/Picture.h"

// What the pooled thread holds of its owner: cut under the lock when the owner goes, so a
// result is never handed to a destroyed object.
struct LatestWorker::Link {
    std::mutex mutex;
    LatestWorker* owner = nullptr;
};

LatestWorker::LatestWorker(QObject* parent)
    : QObject(parent)
    , m_link(std::make_shared<Link>())
{
    m_link->owner = this;
}

LatestWorker::~LatestWorker()
{
    Stop();
    std::lock_guard lock(m_link->mutex);
    m_link->owner = nullptr;
}

void LatestWorker::Post(Work work, bool interrupt)
{
    m_waiting = std::move(work);
    if (interrupt && m_stop)
        m_stop->store(true);
    StartNext();
}

void LatestWorker::Stop()
{
    m_waiting.reset();
    if (m_stop)
        m_stop->store(true);
}

void LatestWorker::StartNext()
{
    if (m_running || !m_waiting)
        return;
    Work work = std::move(*m_waiting);
    m_waiting.reset();
    m_stop = std::make_shared<std::atomic<bool>>(false);
    m_running = true;
    QThreadPool::globalInstance()->start([link = m_link, stop = m_stop, work = std::move(work)] {
        Done done;
        try {
            StopScope scope(*stop);
            done = work();
        } catch (...) {
            // Work that threw has nothing to show; the next request starts afresh.
        }
        std::lock_guard lock(link->mutex);
        if (link->owner)
            QMetaObject::invokeMethod(
                link->owner, [owner = link->owner, done] { owner->Finished(done); }, Qt::QueuedConnection);
    });
}

void LatestWorker::Finished(const Done& done)
{
    m_running = false;
    m_stop.reset();
    if (done)
        done();
    StartNext();
    if (!IsBusy())
        emit Idle();
}
