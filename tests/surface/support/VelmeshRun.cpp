#include "surface/support/VelmeshRun.h"

#include <cstdio>
#include <memory>
#include <sstream>
#include <stdexcept>

#include "surface/Console.h"
#include "surface/Run.h"

namespace surface_testing {

namespace {

struct FileCloser {
    void operator()(std::FILE* f) const noexcept {
        if (f != nullptr) std::fclose(f);
    }
};
using File = std::unique_ptr<std::FILE, FileCloser>;

std::string contents(std::FILE* f) {
    std::fflush(f);
    std::rewind(f);
    std::string text;
    char buffer[4096];
    std::size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, f)) > 0) text.append(buffer, n);
    return text;
}

}  // namespace

RunResult run_capture(const std::vector<std::string>& args, const std::string& stdin_text) {
    File out(std::tmpfile());
    File err(std::tmpfile());
    File in(std::tmpfile());
    if (!out || !err || !in) throw std::runtime_error("tmpfile failed");
    std::fwrite(stdin_text.data(), 1, stdin_text.size(), in.get());
    std::rewind(in.get());
    RunResult result;
    {
        velmesh::ConsoleRedirect redirect(out.get(), err.get(), in.get());
        result.status = velmesh::run_velmesh(args);
    }
    result.out = contents(out.get());
    result.err = contents(err.get());
    return result;
}

Report parse_report(const std::string& out) {
    Report report;
    std::istringstream lines(out);
    std::string line;
    enum { none, areas, volumes } section = none;
    while (std::getline(lines, line)) {
        if (line == "ANALYTICAL SURFACE AREA :") {
            section = areas;
            std::getline(lines, line);  // column titles
            continue;
        }
        if (line == "NUMERICAL VOLUMES AND AREA") {
            section = volumes;
            std::getline(lines, line);
            continue;
        }
        double total;
        if (std::sscanf(line.c_str(), "    Total ses_volume: %lf", &total) == 1) {
            report.total_volume = total;
            section = none;
            continue;
        }
        if (section == areas) {
            AreaRow row;
            if (std::sscanf(line.c_str(), "%d %lf %lf %lf %lf %lf %lf", &row.component, &row.probe_radius,
                            &row.reentrant, &row.toric, &row.contact, &row.ses, &row.sas) == 7)
                report.areas.push_back(row);
            else
                section = none;
        } else if (section == volumes) {
            VolumeRow row;
            if (std::sscanf(line.c_str(), "%d %lf %lf %lf", &row.component, &row.probe_radius, &row.volume,
                            &row.area) == 4)
                report.volumes.push_back(row);
            else
                section = none;
        }
    }
    return report;
}

}  // namespace surface_testing

namespace surface_testing {

struct CapturedConsole::Streams {
    File out{std::tmpfile()};
    File err{std::tmpfile()};
    velmesh::ConsoleRedirect redirect{out.get(), err.get()};
};

CapturedConsole::CapturedConsole() : streams_(std::make_unique<Streams>()) {}
CapturedConsole::~CapturedConsole() = default;
std::string CapturedConsole::out() const { return contents(streams_->out.get()); }
std::string CapturedConsole::err() const { return contents(streams_->err.get()); }

}  // namespace surface_testing
