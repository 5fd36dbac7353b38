#pragma once
// What the video libraries print on the console.

namespace movie::libav {

// From the first call on, the libraries print errors only, not their
// informational notices (an encoder's version, its settings, statistics at
// the end of a movie).
void print_library_errors_only();

// Silences the libraries while it lives: trying out encoders that may not
// open on this machine is not an error worth printing.
class SilentLibraryLog {
public:
    SilentLibraryLog();
    SilentLibraryLog(const SilentLibraryLog&) = delete;
    SilentLibraryLog& operator=(const SilentLibraryLog&) = delete;
    ~SilentLibraryLog();

private:
    int saved_level_;
};

}  // namespace movie::libav
