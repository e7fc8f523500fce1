#pragma once

#include <condition_variable>
#include <functional>
#include <mutex>
#include <vector>

// Runs the items of a list on several threads while the world sees them one after
// the other: each item's start and finish are announced in list order, exactly as a
// single thread would announce them, and an item can wait until every item before it
// has finished (to take an output name as a run one at a time would). At most `jobs`
// items run or wait to be announced at once, so memory stays that of `jobs` items.
//
// The stop test is made before an item is taken and after it is done, as a single
// thread makes it; once it has said stop, no new item starts and the items already
// started finish and are announced.
class OrderedRun {
public:
    struct Hooks {
        std::function<bool()> testStop;        // zero-time; may consume the signal it tests
        std::function<void(int item)> started; // in list order
        // In list order, with whether a stop has been seen; false halts the run:
        // nothing after this item is announced, nothing new starts.
        std::function<bool(int item, bool stopSeen)> finished;
    };

    OrderedRun(int count, int jobs, Hooks hooks);

    // Runs work(item) for every item on `jobs` threads, the caller's included;
    // returns once every item started has finished and been announced.
    void Run(const std::function<void(int item)>& work);
    // Blocks until every item before this one has finished and been announced.
    void WaitForEarlier(int item);
    // True when the stop test said stop while items were still to start.
    bool StoppedEarly() const;

private:
    void Worker(const std::function<void(int)>& work);
    bool TestStop(); // with the lock held
    void Announce(); // with the lock held

    const int m_count;
    const int m_jobs;
    Hooks m_hooks;
    mutable std::mutex m_mutex;
    std::condition_variable m_changed;
    std::vector<char> m_done;
    int m_next = 0; // the next item to take
    int m_startsAnnounced = 0;
    int m_finishesAnnounced = 0;
    bool m_stop = false;
    bool m_halted = false;
};
