#pragma once
// The threads the potential solver runs its sweeps on, kept for the whole
// process. Starting a fresh set of threads for every run costs more than
// the start itself: new threads begin on whatever processors the system
// picks and are moved about for the first milliseconds, and one pipeline
// stage held up that way holds up every stage after it. Threads that stay
// keep their processors from one run to the next and sleep in between.
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

class SolverThreads {
public:
    // The process's threads.
    static SolverThreads& shared();

    SolverThreads() = default;
    SolverThreads(const SolverThreads&) = delete;
    SolverThreads& operator=(const SolverThreads&) = delete;
    ~SolverThreads();  // wakes and joins the threads

    // Runs job(w) for w = 0 .. workers − 1 at once, w = 0 on the calling
    // thread, and returns when all have returned. The job must not throw.
    // False when the threads could not be started (the job did not run
    // then). Jobs of several callers take turns.
    bool run(unsigned workers, const std::function<void(unsigned)>& job);

    // Threads kept (for the tests).
    std::size_t threads() const;

private:
    // Starts threads until `helpers` exist; false when the system refuses
    // one (those started are kept).
    bool start(std::size_t helpers);

    std::mutex turn_;  // one job at a time
    mutable std::mutex m_;
    std::condition_variable wake_, done_;
    const std::function<void(unsigned)>* job_ = nullptr;
    unsigned workers_ = 0;        // of the current job
    std::uint64_t generation_ = 0;  // raised for every job
    unsigned running_ = 0;        // helpers still in the current job
    bool stopping_ = false;
    std::vector<std::thread> helpers_;  // helper w is worker w + 1
};
