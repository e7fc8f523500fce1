#pragma once

#include <chrono>
#include <functional>
#include <future>
#include <thread>

// One job on its own thread, started at construction. The wait can time out, and
// the object is never destroyed while its thread runs: the destructor joins.
// Owned by whoever started the job (the batch); used from that owner's thread.
class WorkerThread {
public:
    explicit WorkerThread(std::function<void()> job);
    ~WorkerThread();
    WorkerThread(const WorkerThread&) = delete;
    WorkerThread& operator=(const WorkerThread&) = delete;

    // True once the job has returned (immediately when it already has).
    bool WaitFor(std::chrono::milliseconds limit) const;

private:
    std::future<void> m_ended;
    std::thread m_thread;
};
