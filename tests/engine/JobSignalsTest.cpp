#include "batch/JobSignals.h"
#include "batch/WorkerThread.h"

#include <atomic>
#include <thread>

#include <gtest/gtest.h>

namespace {

using std::chrono::milliseconds;
constexpr milliseconds kLong { 20000 };

TEST(AutoResetEvent, OneSetIsConsumedByOneTest)
{
    AutoResetEvent event;
    EXPECT_FALSE(event.TryConsume());
    event.Set();
    event.Set(); // not counted: still one stop
    EXPECT_TRUE(event.TryConsume());
    EXPECT_FALSE(event.TryConsume());
}

TEST(AutoResetEvent, ResetForgetsAStopFromBefore)
{
    AutoResetEvent event;
    event.Set();
    event.Reset();
    EXPECT_FALSE(event.TryConsume());
}

TEST(AutoResetEvent, WaitWakesWhenAnotherThreadSets)
{
    AutoResetEvent event, started;
    std::atomic<bool> woke { false };
    std::thread waiter([&] {
        started.Set();
        woke = event.WaitFor(kLong);
    });
    ASSERT_TRUE(started.WaitFor(kLong));
    event.Set();
    waiter.join();
    EXPECT_TRUE(woke);
    EXPECT_FALSE(event.TryConsume());
}

TEST(WorkerThread, WaitTimesOutWhileTheJobRunsAndSucceedsOnceItEnds)
{
    AutoResetEvent release;
    WorkerThread worker([&] { release.WaitFor(kLong); });
    EXPECT_FALSE(worker.WaitFor(milliseconds(0)));
    release.Set();
    EXPECT_TRUE(worker.WaitFor(kLong));
    EXPECT_TRUE(worker.WaitFor(milliseconds(0)));
}

TEST(WorkerThread, IsNeverDestroyedWhileItsJobRuns)
{
    AutoResetEvent release, running;
    std::atomic<bool> finished { false };
    std::thread releaser;
    {
        WorkerThread worker([&] {
            running.Set();
            release.WaitFor(kLong);
            finished = true;
        });
        ASSERT_TRUE(running.WaitFor(kLong));
        releaser = std::thread([&] { release.Set(); });
    } // the destructor must wait for the job
    EXPECT_TRUE(finished);
    releaser.join();
}

TEST(WorkerThread, RunsTheJobOnAnotherThread)
{
    std::thread::id jobThread;
    WorkerThread worker([&] { jobThread = std::this_thread::get_id(); });
    ASSERT_TRUE(worker.WaitFor(kLong));
    EXPECT_NE(jobThread, std::this_thread::get_id());
    EXPECT_EQ(jobThread, worker.GetId());
}

} // namespace
