#pragma once
// Runs velmesh's entry in this process with its console captured, and reads
// the areas and volumes back from its report.
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace surface_testing {

struct RunResult {
    int status = 0;
    std::string out;  // standard output
    std::string err;  // standard error
};

// Runs with the arguments; stdin_text is what "-if -" reads.
RunResult run_capture(const std::vector<std::string>& args, const std::string& stdin_text = "");

struct AreaRow {
    int component = 0;
    double probe_radius = 0, reentrant = 0, toric = 0, contact = 0, ses = 0, sas = 0;
};

struct VolumeRow {
    int component = 0;
    double probe_radius = 0, volume = 0, area = 0;
};

struct Report {
    std::vector<AreaRow> areas;
    std::vector<VolumeRow> volumes;
    std::optional<double> total_volume;
};

Report parse_report(const std::string& out);

}  // namespace surface_testing

namespace surface_testing {

// Captures what velmesh prints while it lives.
class CapturedConsole {
public:
    CapturedConsole();
    CapturedConsole(const CapturedConsole&) = delete;
    CapturedConsole& operator=(const CapturedConsole&) = delete;
    ~CapturedConsole();

    std::string out() const;
    std::string err() const;

private:
    struct Streams;
    std::unique_ptr<Streams> streams_;
};

}  // namespace surface_testing
