// Every way an open fails: the message the person sees (caption "Load
// file", an OK box) and the line the log gets from the document.
#include <gtest/gtest.h>

#include <functional>
#include <new>
#include <stdexcept>

#include "visualization/document/DocumentFixture.h"

using namespace document_testing;
using showdoc_detail::OpenStage;

namespace {

struct FailureCase {
    const char* name;
    // The path to open in `folder`, after writing what the case needs.
    std::function<std::string(RunFolder& folder)> path;
    showdoc_detail::OpenHook hook;
    const char* message;
    const char* logged;  // a part of a line of the log; none when empty
};

// The location of the log line that holds `part`; empty when none does.
std::string location_of(const std::string& log, const std::string& part) {
    for (const std::string& line : lines_of(log))
        if (contains(line, part)) return line.substr(0, line.find('('));
    return "";
}

void throw_bad_alloc(PDcalc&, OpenStage stage) {
    if (stage == OpenStage::prepare) throw std::bad_alloc();
}
void throw_int(PDcalc&, OpenStage stage) {
    if (stage == OpenStage::prepare) throw 7;
}
void throw_runtime_error(PDcalc&, OpenStage stage) {
    if (stage == OpenStage::prepare) throw std::runtime_error("disk on fire");
}
void throw_text_at_shapes(PDcalc&, OpenStage stage) {
    if (stage == OpenStage::shapes) throw "shape trouble";
}
void throw_bad_alloc_at_shapes(PDcalc&, OpenStage stage) {
    if (stage == OpenStage::shapes) throw std::bad_alloc();
}

std::string config_of(RunFolder& folder) { return folder.config(); }

std::string rewritten(RunFolder& folder, const std::string& text) {
    write_file(folder.config(), text);
    return folder.config();
}

class OpenFailures : public DocumentTest, public testing::WithParamInterface<FailureCase> {};

TEST_P(OpenFailures, GiveTheirMessageAndLogLineAndNoDocument) {
    const FailureCase& c = GetParam();
    RunFolder folder(viewer_configuration());
    const std::string path = c.path(folder);
    showdoc_detail::set_open_hook(c.hook);
    ScriptedAnswers answers;
    {
        CShowDoc doc(answers.asker());
        EXPECT_FALSE(doc.OnOpenDocument(path));
        EXPECT_FALSE(doc.loaded());
        EXPECT_FALSE(doc.calculating());
    }
    ASSERT_EQ(answers.asked.size(), 1u) << log();
    EXPECT_EQ(answers.asked[0].message, c.message);
    EXPECT_EQ(answers.asked[0].caption, "Load file");
    EXPECT_EQ(answers.asked[0].buttons, QuestionButtons::ok);
    if (*c.logged == '\0') return;
    // The engine logs why it could not prepare; the document logs what it caught.
    const bool from_engine = std::string(c.message) == "Unable to load configuration!";
    EXPECT_EQ(location_of(log(), c.logged), from_engine ? "PD_calc_prepare.cpp" : "showDoc.cpp") << log();
}

INSTANTIATE_TEST_SUITE_P(
    Table, OpenFailures,
    testing::Values(
        FailureCase{"MissingFolder", [](RunFolder& f) { return (f.path() / "missing" / "run.cfg").string(); },
                    nullptr, "Unable to change directory!", ""},
        FailureCase{"NoFileName", [](RunFolder& f) { return f.path().string() + "/"; }, nullptr,
                    "Incorrect file name!", ""},
        FailureCase{"EmptyPath", [](RunFolder&) { return std::string(); }, nullptr, "Incorrect file name!", ""},
        FailureCase{"PrepareFails", [](RunFolder& f) { return (f.path() / "absent.cfg").string(); }, nullptr,
                    "Unable to load configuration!", "Failed to open configuration file \"absent.cfg\""},
        FailureCase{"NoTrajectoryKey",
                    [](RunFolder& f) {
                        std::string text = viewer_configuration();
                        text.erase(text.find("trajectory = \"trajectory.bin\""), 29);
                        return rewritten(f, text);
                    },
                    nullptr, "Visualization is not configured for this configuration!", ""},
        FailureCase{"TextException",
                    [](RunFolder& f) {
                        std::string text = viewer_configuration();
                        text.replace(text.find("compartment = \"box\""), 19, "compartment = \"nowhere\"");
                        return rewritten(f, text);
                    },
                    nullptr, "Error loading configuration!", "error: exception: unknown compartment"},
        FailureCase{"StringException",
                    [](RunFolder& f) {
                        std::string text = viewer_configuration();
                        text.replace(text.find("halfsize = [60, 60, 60]"), 23, "halfsize = [0, 60, 60]");
                        return rewritten(f, text);
                    },
                    nullptr, "Error loading configuration!",
                    "error: exception: Compartment \"box\": \"halfsize\" must be three positive numbers"},
        FailureCase{"OutOfMemory", config_of, throw_bad_alloc, "Not enough memory!", "error: not enough memory"},
        FailureCase{"AnythingElse", config_of, throw_int, "Exception encountered!", "error: exception: exception"},
        FailureCase{"StandardException", config_of, throw_runtime_error, "Exception encountered!",
                    "error: exception: disk on fire"},
        FailureCase{"TextAfterPrepare", config_of, throw_text_at_shapes, "Error loading configuration!",
                    "error: exception: shape trouble"},
        FailureCase{"OutOfMemoryAfterPrepare", config_of, throw_bad_alloc_at_shapes, "Not enough memory!",
                    "error: not enough memory"}),
    [](const testing::TestParamInfo<FailureCase>& info) { return std::string(info.param.name); });

}  // namespace
