#include "batch/OrderedRun.h"

#include <algorithm>
#include <thread>

OrderedRun::OrderedRun(int count, int jobs, Hooks hooks)
    : m_count(std::max(count, 0))
    , m_jobs(std::max(jobs, 1))
    , m_hooks(std::move(hooks))
    , m_done(static_cast<std::size_t>(m_count), 0)
{
}

void OrderedRun::Run(const std::function<void(int)>& work)
{
    std::vector<std::thread> helpers;
    const int threads = std::min(m_jobs, m_count);
    for (int t = 1; t < threads; ++t)
        helpers.emplace_back([this, &work] { Worker(work); });
    Worker(work);
    for (std::thread& t : helpers)
        t.join();
}

void OrderedRun::WaitForEarlier(int item)
{
    std::unique_lock lock(m_mutex);
    m_changed.wait(lock, [&] { return m_finishesAnnounced >= item || m_halted; });
}

bool OrderedRun::StoppedEarly() const
{
    std::lock_guard lock(m_mutex);
    return m_stop && m_next < m_count;
}

bool OrderedRun::TestStop()
{
    if (!m_stop && m_hooks.testStop && m_hooks.testStop())
        m_stop = true;
    return m_stop;
}

void OrderedRun::Announce()
{
    for (;;) {
        if (m_halted)
            return;
        if (m_startsAnnounced == m_finishesAnnounced && m_startsAnnounced < m_next) {
            if (m_hooks.started)
                m_hooks.started(m_startsAnnounced);
            ++m_startsAnnounced;
        } else if (m_finishesAnnounced < m_startsAnnounced && m_done[m_finishesAnnounced]) {
            const int item = m_finishesAnnounced++;
            if (m_hooks.finished && !m_hooks.finished(item, TestStop()))
                m_halted = true;
            m_changed.notify_all();
        } else {
            return;
        }
    }
}

void OrderedRun::Worker(const std::function<void(int)>& work)
{
    std::unique_lock lock(m_mutex);
    for (;;) {
        // Never more than `jobs` items ahead of the oldest one not yet announced.
        m_changed.wait(lock, [&] { return m_next >= m_count || m_halted || m_next < m_finishesAnnounced + m_jobs; });
        if (m_next >= m_count || m_halted || TestStop())
            break;
        const int item = m_next++;
        Announce();
        lock.unlock();
        work(item);
        lock.lock();
        m_done[item] = 1;
        Announce();
        m_changed.notify_all();
    }
    m_changed.notify_all();
}
