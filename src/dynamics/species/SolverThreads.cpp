#include "dynamics/species/SolverThreads.h"

#include <system_error>

SolverThreads& SolverThreads::shared() {
    static SolverThreads threads;
    return threads;
}

SolverThreads::~SolverThreads() {
    {
        const std::lock_guard<std::mutex> lock(m_);
        stopping_ = true;
    }
    wake_.notify_all();
    for (std::thread& helper : helpers_) helper.join();
}

std::size_t SolverThreads::threads() const {
    const std::lock_guard<std::mutex> lock(m_);
    return helpers_.size();
}

bool SolverThreads::start(std::size_t helpers) {
    // Only run() starts threads, holding the turn, so no job is under way
    // and the generation stays as it is.
    std::uint64_t generation;
    {
        const std::lock_guard<std::mutex> lock(m_);
        generation = generation_;
        // Room first: a thread already started must not meet a failed
        // allocation on its way into the list.
        helpers_.reserve(helpers);
    }
    try {
        while (helpers_.size() < helpers) {
            const auto worker = static_cast<unsigned>(helpers_.size() + 1);
            std::thread helper([this, worker, generation] {
                std::uint64_t seen = generation;
                for (;;) {
                    const std::function<void(unsigned)>* job = nullptr;
                    {
                        std::unique_lock<std::mutex> lock(m_);
                        wake_.wait(lock, [&] { return stopping_ || generation_ != seen; });
                        if (stopping_) return;
                        seen = generation_;
                        if (worker >= workers_) continue;  // not wanted for this job
                        job = job_;
                    }
                    (*job)(worker);
                    const std::lock_guard<std::mutex> lock(m_);
                    if (--running_ == 0) done_.notify_one();
                }
            });
            const std::lock_guard<std::mutex> lock(m_);
            helpers_.push_back(std::move(helper));
        }
    } catch (const std::system_error&) {
        return false;
    }
    return true;
}

bool SolverThreads::run(unsigned workers, const std::function<void(unsigned)>& job) {
    if (workers <= 1) {
        job(0);
        return true;
    }
    const std::lock_guard<std::mutex> turn(turn_);
    if (!start(workers - 1)) return false;
    {
        const std::lock_guard<std::mutex> lock(m_);
        job_ = &job;
        workers_ = workers;
        running_ = workers - 1;
        ++generation_;
    }
    wake_.notify_all();
    job(0);
    std::unique_lock<std::mutex> lock(m_);
    done_.wait(lock, [&] { return running_ == 0; });
    job_ = nullptr;
    return true;
}
