#pragma once
// A fixture for configuration tests: a fresh working folder, the traces of
// the configuration code captured, and the file-wide settings restored.
#include <gtest/gtest.h>

#include <cstdarg>
#include <memory>
#include <string>
#include <vector>

#include "support/TempDir.h"
#include "utils/Format.h"
#include "utils/MiscIo.h"
#include "utils/Trace.h"
#include "utils/config/ConfCreate.h"
#include "utils/config/NumberText.h"
#include "utils/config/Parser.h"
#include "utils/config/RootSection.h"

namespace config_testing {

struct TraceLine {
    int level;
    std::string text;
};

inline std::vector<TraceLine>& captured() {
    static std::vector<TraceLine> lines;
    return lines;
}

inline void capture_trace(int level, const char* format, ...) {
    va_list args;
    va_start(args, format);
    captured().push_back({level, vformat(format, args)});
    va_end(args);
}

class ConfigTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::filesystem::current_path(dir_.path());
        Parser::set_root_dir("");
        Parser::set_conf_ext(".cfg");
        Parser::set_mode(1);
        Io::SetTraceHandler(capture_trace);
        captured().clear();
    }
    void TearDown() override {
        Io::SetTraceHandler(stdtrace);
        Parser::set_mode(0);
        Parser::set_root_dir("");
        Parser::set_conf_ext(".cfg");
    }

    void write(const std::string& name, const std::string& text) const {
        testing_support::write_file(dir_.file(name), text);
    }

    // Reads `name` with the given mode and variable sources; traces of
    // earlier steps of a test are dropped first.
    std::unique_ptr<Config> read(const std::string& name, std::int32_t mode = ConfMode::read,
                                 const std::string& order = "", const std::map<char, std::string>& map = {}) {
        captured().clear();
        SConfigParams params;
        params.mode = mode;
        params.var_order = order;
        params.var_map = map;
        return ConfCreate(name.c_str(), &params);
    }

    std::unique_ptr<Config> read_text(const std::string& text, const std::string& order = "",
                                      const std::map<char, std::string>& map = {}) {
        write("t.cfg", text);
        return read("t", ConfMode::read, order, map);
    }

    // The traces at `level`, in order.
    static std::vector<std::string> traces(int level) {
        std::vector<std::string> lines;
        for (const TraceLine& line : captured())
            if (line.level == level) lines.push_back(line.text);
        return lines;
    }

    // The errors and warnings of the reader, without the opening notice.
    static std::vector<std::string> diagnostics() {
        std::vector<std::string> lines;
        for (const TraceLine& line : captured()) {
            if (line.level != Msgtype::error && line.level != Msgtype::warning) continue;
            if (line.text.rfind("Translating config file", 0) == 0) continue;
            lines.push_back(line.text);
        }
        return lines;
    }

    testing_support::TempDir dir_;
    testing_support::CurrentDirGuard cwd_;
};

// A node as text: "n:1,2" numbers, "s:text" a string, "plain" no value,
// "missing" when the path leads nowhere.
inline std::string render(const Section& section, const char* path) {
    switch (section.GetType(path)) {
        case SectionKind::numeric: {
            std::vector<double> numbers(static_cast<std::size_t>(section.GetDoubles(nullptr, 0, path)));
            section.GetDoubles(numbers.data(), static_cast<int>(numbers.size()), path);
            std::string text = "n:";
            for (std::size_t i = 0; i < numbers.size(); ++i) {
                if (i > 0) text += ',';
                text += format_shortest(numbers[i]);
            }
            return text;
        }
        case SectionKind::string: return std::string("s:") + section.GetString(path);
        default: return section.GetSecNum(path) < 0 ? "missing" : "plain";
    }
}

inline RootSection& as_root(Config& config) { return dynamic_cast<RootSection&>(config); }

}  // namespace config_testing
