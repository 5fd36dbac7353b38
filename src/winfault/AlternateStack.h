#pragma once
// A signal stack of the calling thread's own, so that a fault handler can run
// when the thread's stack is exhausted.
#include <cstddef>
#include <string>

#include <csignal>

namespace winfault {

class AlternateStack {
public:
    // Enough for the fault handler, the logger and the exit functions behind
    // it, also under the sanitizers' larger frames. Pages are only taken when
    // touched.
    static constexpr std::size_t size = std::size_t{1} << 20;

    // Maps the stack, with an inaccessible page below it, and makes it the
    // calling thread's signal stack. Check ok() afterwards.
    AlternateStack();
    // Gives the thread back its previous signal stack, unless it is running
    // on this one (a handler ending the process); then it is left in place.
    ~AlternateStack();
    AlternateStack(const AlternateStack&) = delete;
    AlternateStack& operator=(const AlternateStack&) = delete;

    bool ok() const { return installed_; }
    // Why the stack could not be set up.
    const std::string& error() const { return error_; }

private:
    void* mapping_ = nullptr;
    std::size_t mapping_size_ = 0;
    stack_t previous_{};
    bool installed_ = false;
    std::string error_;
};

}  // namespace winfault
