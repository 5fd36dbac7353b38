#pragma once
// How the solver's threads wait for one another. A thread usually waits
// only microseconds for the tile before it, far less than the system takes
// to wake a sleeping thread, so a wait spins for a while before it sleeps;
// and the one who moves the count on wakes sleepers only when there are any.
#include <atomic>

class StepCounter {
public:
    int value() const { return done_.load(std::memory_order_acquire); }

    // Sets the count (only ever raised) and wakes whoever sleeps on it.
    void publish(int steps) {
        done_.store(steps, std::memory_order_seq_cst);
        if (sleepers_.load(std::memory_order_seq_cst) > 0) done_.notify_all();
    }

    // Returns once the count has reached `target`.
    void wait_for(int target) const {
        for (int spin = 0; spin < spins; ++spin) {
            if (done_.load(std::memory_order_acquire) >= target) return;
            pause();
        }
        sleepers_.fetch_add(1, std::memory_order_seq_cst);
        for (int seen = done_.load(std::memory_order_seq_cst); seen < target;
             seen = done_.load(std::memory_order_seq_cst))
            done_.wait(seen, std::memory_order_seq_cst);
        sleepers_.fetch_sub(1, std::memory_order_relaxed);
    }

private:
    // About a tenth of a millisecond of spinning.
    static constexpr int spins = 4096;
    static void pause() {
#if defined(__x86_64__)
        __builtin_ia32_pause();
#endif
    }

    std::atomic<int> done_{0};
    mutable std::atomic<int> sleepers_{0};
};
