#include "batch/JobSignals.h"
#include "batch/WorkerThread.h"

#include <atomic>
#include <thread>

#include <gtest/gtest.h>

namespace {

using std::chrono::milliseconds;
constexpr milliseconds kLong { 20000 };

// The job runs on a thread of its own, a wait times out while it runs, and the
// worker is never destroyed before the job has returned.
TEST(WorkerThread, RunsTheJobOnItsOwnThreadAndOutlivesIt)
{
    AutoResetEvent release, running;
    std::atomic<bool> finished { false };
    std::thread::id jobThread;
    std::thread releaser;
    {
        WorkerThread worker([&] {
            jobThread = std::this_thread::get_id();
            running.Set();
            release.WaitFor(kLong);
            finished = true;
        });
        ASSERT_TRUE(running.WaitFor(kLong));
        EXPECT_FALSE(worker.WaitFor(milliseconds(0)));
        EXPECT_EQ(jobThread, worker.GetId());
        EXPECT_NE(jobThread, std::this_thread::get_id());
        releaser = std::thread([&] { release.Set(); });
    } // the destructor must wait for the job
    EXPECT_TRUE(finished);
    releaser.join();
}

} // namespace
