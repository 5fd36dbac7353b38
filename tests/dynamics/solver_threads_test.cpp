#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <mutex>
#include <set>
#include <thread>
#include <vector>

#include "dynamics/species/SolverThreads.h"

namespace {

using namespace std::chrono_literals;

// Waits until `count` workers have arrived, or a while has passed: true when
// all arrived, i.e. the workers of a job run at the same time (the solver's
// workers wait for one another, so a job run one worker after the other
// would never end).
bool all_arrive(std::atomic<unsigned>& arrived, unsigned count) {
    arrived.fetch_add(1);
    const auto deadline = std::chrono::steady_clock::now() + 10s;
    while (arrived.load() < count)
        if (std::chrono::steady_clock::now() > deadline) return false;
    return true;
}

struct JobRecord {
    std::mutex m;
    std::vector<std::thread::id> thread_of;  // per worker
    std::vector<int> runs;                   // per worker
    bool together = true;

    explicit JobRecord(unsigned workers) : thread_of(workers), runs(workers, 0) {}
};

// Runs a job that records which thread ran each worker.
bool record_job(SolverThreads& threads, unsigned workers, JobRecord& record) {
    std::atomic<unsigned> arrived{0};
    return threads.run(workers, [&](unsigned w) {
        const bool together = all_arrive(arrived, workers);
        const std::lock_guard<std::mutex> lock(record.m);
        record.thread_of.at(w) = std::this_thread::get_id();
        ++record.runs.at(w);
        record.together = record.together && together;
    });
}

TEST(SolverThreads, EachWorkerRunsOnceAtTheSameTimeTheFirstOnTheCaller) {
    for (const unsigned workers : {1u, 2u, 5u, 9u}) {
        SCOPED_TRACE(workers);
        SolverThreads threads;
        JobRecord record(workers);
        ASSERT_TRUE(record_job(threads, workers, record));
        EXPECT_TRUE(record.together);
        EXPECT_EQ(record.runs, std::vector<int>(workers, 1));
        EXPECT_EQ(record.thread_of[0], std::this_thread::get_id());
        EXPECT_EQ(std::set<std::thread::id>(record.thread_of.begin(), record.thread_of.end()).size(), workers);
        EXPECT_EQ(threads.threads(), workers - 1);
    }
}

TEST(SolverThreads, ThreadsAreKeptFromJobToJob) {
    SolverThreads threads;
    JobRecord first(4), smaller(2), larger(6);
    ASSERT_TRUE(record_job(threads, 4, first));
    ASSERT_TRUE(record_job(threads, 2, smaller));
    EXPECT_EQ(threads.threads(), 3u);  // a smaller job leaves the others asleep
    EXPECT_EQ(smaller.runs, std::vector<int>(2, 1));
    EXPECT_EQ(smaller.thread_of[1], first.thread_of[1]);
    ASSERT_TRUE(record_job(threads, 6, larger));
    EXPECT_EQ(threads.threads(), 5u);
    EXPECT_TRUE(larger.together);
    EXPECT_EQ(larger.runs, std::vector<int>(6, 1));
    for (unsigned w = 1; w < 4; ++w) EXPECT_EQ(larger.thread_of[w], first.thread_of[w]) << w;
}

TEST(SolverThreads, JobsOfSeveralCallersTakeTurns) {
    SolverThreads threads;
    std::atomic<int> inside{0};
    std::atomic<bool> overlapped{false};
    std::atomic<int> jobs{0};
    auto caller = [&] {
        for (int r = 0; r < 50; ++r) {
            std::atomic<unsigned> arrived{0};
            const bool ran = threads.run(3, [&](unsigned w) {
                if (w == 0 && inside.fetch_add(1) != 0) overlapped = true;
                all_arrive(arrived, 3);
                if (w == 0) {
                    std::this_thread::sleep_for(50us);
                    inside.fetch_sub(1);
                }
            });
            if (ran) ++jobs;
        }
    };
    std::thread a(caller), b(caller);
    a.join();
    b.join();
    EXPECT_FALSE(overlapped);
    EXPECT_EQ(jobs.load(), 100);
}

}  // namespace
