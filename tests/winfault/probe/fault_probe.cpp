// A small program with the engine's entry and the fault reporter: an engine
// whose preparation installs the reporter, as PDcalc::prepare does, and then
// makes the fault named by the first argument. The other arguments go to the
// entry: fault_probe <fault> [engine options...].
#include <atomic>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <map>
#include <memory>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include <fcntl.h>
#include <sys/mman.h>
#include <unistd.h>

#include "utils/Log.h"
#include "winfault/FaultReporter.h"
#include "winfault/Faults.h"
#include "zelmar/Engine.h"
#include "zelmar/Zelmar_main.h"

// The sanitizer runtime would handle the fault signals itself: here the
// reporter does, and a fault it passes on ends the program by the signal.
extern "C" __attribute__((used)) const char* __asan_default_options() {
    return "handle_segv=0:handle_sigbus=0:handle_sigfpe=0:handle_sigill=0:use_sigaltstack=0";
}

namespace {

using Fault = void (*)();

// The log file the entry writes with "-l probe".
bool log_contains(const std::string& text) {
    std::ifstream in("probe.log");
    const std::string log((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    return log.find(text) != std::string::npos;
}

void wait_until(const auto& condition) {
    while (!condition()) std::this_thread::sleep_for(std::chrono::milliseconds(2));
}

void read_beyond_end_of_file() {
    const int fd = ::open("empty.bin", O_RDWR | O_CREAT | O_TRUNC, 0600);
    void* mapping = ::mmap(nullptr, 4096, PROT_READ, MAP_SHARED, fd, 0);
    if (mapping == MAP_FAILED) std::exit(90);
    faults::read_at(static_cast<const char*>(mapping));
}

// Another thread stays inside the logger: its line is in the file, and it
// waits for standard error, which this thread holds.
void fault_while_another_thread_logs() {
    ::flockfile(stderr);
    std::thread([] { LOG_MESSAGE("holding the logger"); }).detach();
    wait_until([] { return log_contains("holding the logger"); });
    faults::read_null();
}

// Another thread holds standard error for ever, so the logger's console line
// never gets out; the watchdog ends the program.
void fault_while_stderr_is_held() {
    static std::atomic<bool> held{false};
    std::thread([] {
        ::flockfile(stderr);
        held = true;
        for (;;) ::pause();
    }).detach();
    wait_until([] { return held.load(); });
    faults::read_null();
}

void fault_in_log_call() {
    const char* volatile bad = reinterpret_cast<const char*>(16);
    LOG_MESSAGE("%s", bad);
}

// The logger faults while it writes its console line: standard error's
// buffer is a read-only page.
void fault_inside_the_logger() {
    void* page = ::mmap(nullptr, 4096, PROT_READ, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (page == MAP_FAILED || std::setvbuf(stderr, static_cast<char*>(page), _IOFBF, 4096) != 0) std::exit(90);
    LOG_MESSAGE("a line the console cannot take");
}

void fault_while_ending() {
    std::atexit([] { faults::read_null(); });
    faults::read_null();
}

void fault_on_another_thread() {
    std::thread([] { faults::read_null(); }).join();
}

const std::map<std::string, Fault>& faults_by_name() {
    static const std::map<std::string, Fault> table{
        {"null-read", [] { faults::read_null(); }},
        {"read-only-write", faults::write_read_only_page},
        {"int-divide", [] { faults::divide_by_zero(); }},
        {"stack-overflow", [] { faults::overflow_stack(0); }},
        {"illegal-instruction", faults::illegal_instruction},
        {"bus-error", read_beyond_end_of_file},
        {"sent-signal", [] { ::raise(SIGSEGV); }},
        {"other-thread", fault_on_another_thread},
        {"logger-held", fault_while_another_thread_logs},
        {"stderr-held", fault_while_stderr_is_held},
        {"in-log-call", fault_in_log_call},
        {"inside-logger", fault_inside_the_logger},
        {"while-ending", fault_while_ending},
    };
    return table;
}

winfault::FaultLimits limits_for(const std::string& fault) {
    winfault::FaultLimits limits;
    if (fault == "logger-held") limits.logger_wait = std::chrono::milliseconds(300);
    if (fault == "stderr-held") limits.ending = std::chrono::seconds(1);
    return limits;
}

class ProbeEngine final : public zelmar::Engine {
public:
    explicit ProbeEngine(std::string fault) : fault_(std::move(fault)) {}

    bool prepare(const std::string&) override {
        winfault::install_fault_reporter(__FILE__, __LINE__, limits_for(fault_));
        LOG_MESSAGE("making the fault %s", fault_.c_str());
        faults_by_name().at(fault_)();
        return true;
    }
    void calculate() override {}

private:
    std::string fault_;
};

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2 || !faults_by_name().contains(argv[1])) return 99;
    const std::string fault = argv[1];
    std::vector<char*> args{argv[0]};
    args.insert(args.end(), argv + 2, argv + argc);
    args.push_back(nullptr);
    return zelmar::zelmar_main(static_cast<int>(args.size()) - 1, args.data(),
                               [&] { return std::make_unique<ProbeEngine>(fault); });
}
