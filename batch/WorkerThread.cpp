#include "batch/WorkerThread.h"

WorkerThread::WorkerThread(std::function<void()> job)
{
    std::packaged_task<void()> task(std::move(job));
    m_ended = task.get_future();
    m_thread = std::thread(std::move(task));
}

WorkerThread::~WorkerThread()
{
    if (m_thread.joinable())
        m_thread.join();
}

bool WorkerThread::WaitFor(std::chrono::milliseconds limit) const
{
    return m_ended.wait_for(limit) == std::future_status::ready;
}
