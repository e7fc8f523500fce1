#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <mutex>

// Posted-message numbers and codes shared by the jobs and whoever shows their progress.
inline constexpr std::uint32_t WM_ADD_PROGRESS = 0x8006;
inline constexpr std::uint32_t WM_CONVERT_PROGRESS = 0x800A;

enum ConvertProgressCode : std::uint32_t {
    ConvertCodeStart = 3, // the dialog to itself: start the job
    ConvertCodeStep = 4,  // value 2 x i + 1 before picture i, 2 x i + 2 after it
    ConvertCodeEnd = 5,   // the job has ended, normally or stopped; always the last
};

// Where a job reports progress. The window turns each call into a posted event;
// the command-line converter draws its bar. Called on the job's thread, so an
// implementation must not block for long and must not call back into the job.
class IProgressSink {
public:
    virtual ~IProgressSink() = default;
    virtual void Post(std::uint32_t message, std::uint32_t code, std::int64_t value) = 0;
};

// A stop signal that the first test which sees it consumes, so one Cancel stops
// one job once. Any thread may set, reset or test it.
class AutoResetEvent {
public:
    void Set()
    {
        {
            std::lock_guard lock(m_mutex);
            m_set = true;
        }
        m_changed.notify_one();
    }
    void Reset()
    {
        std::lock_guard lock(m_mutex);
        m_set = false;
    }
    // The zero-time test of a job between two pictures.
    bool TryConsume() { return WaitFor(std::chrono::milliseconds(0)); }
    // True when the event was set within the limit; the event is clear again afterwards.
    bool WaitFor(std::chrono::milliseconds limit)
    {
        std::unique_lock lock(m_mutex);
        if (!m_changed.wait_for(lock, limit, [this] { return m_set; }))
            return false;
        m_set = false;
        return true;
    }

private:
    std::mutex m_mutex;
    std::condition_variable m_changed;
    bool m_set = false;
};
