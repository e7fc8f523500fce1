#pragma once

#include <atomic>
#include <functional>
#include <memory>
#include <optional>

#include <QObject>

// Slow picture work off the interface thread, always on the newest request: one piece of
// work runs at a time on a pooled thread, and one more may wait. Posting replaces the waiting
// work; with interrupt, the running one is asked to stop as well (its picture work runs under
// a StopScope, so a decode ends early). What the work returns runs afterwards on the interface
// thread, in order, overtaken work included: the caller tells by its own request numbers.
// Interface thread only. Destroying it never waits: running work is stopped, and what it
// returns is dropped.
class LatestWorker : public QObject {
    Q_OBJECT
public:
    using Done = std::function<void()>;
    using Work = std::function<Done()>;

    explicit LatestWorker(QObject* parent = nullptr);
    ~LatestWorker() override;

    void Post(Work work, bool interrupt);
    // Drops the waiting work and asks the running one to stop.
    void Stop();
    // Work runs or waits.
    bool IsBusy() const { return m_running || m_waiting.has_value(); }

signals:
    // The last piece of work has run and nothing waits.
    void Idle();

private:
    struct Link;
    void StartNext();
    void Finished(const Done& done);

    std::shared_ptr<Link> m_link;
    std::optional<Work> m_waiting;
    std::shared_ptr<std::atomic<bool>> m_stop; // of the running work
    bool m_running = false;
};
