// The open sequence of a document on a small configuration: the questions
// about the trajectory and what each answer leads to, the frames a
// calculation shows, and the display settings read from the configuration.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

#include "visualization/document/DocumentFixture.h"

using namespace document_testing;

namespace {

std::atomic<bool> calculation_gate_open{true};

// Holds the calculation back until the test opens the gate.
void wait_at_gate(PDcalc&) {
    while (!calculation_gate_open.load()) std::this_thread::sleep_for(std::chrono::milliseconds(1));
}

void wait_for_calculation(CShowDoc& doc) {
    while (doc.calculating()) std::this_thread::sleep_for(std::chrono::milliseconds(2));
}

class OpenSequence : public DocumentTest {
protected:
    OpenSequence() : folder(viewer_configuration()) {}
    RunFolder folder;
};

TEST_F(OpenSequence, AnswersYesNoAndCancelAsAskedAndTheCalculationMatchesTheEngineAlone) {
    // The same configuration calculated by a bare engine, for its trajectory.
    RunFolder reference(viewer_configuration());
    {
        PDcalc engine;
        ASSERT_TRUE(prepare(engine, reference.config()));
        const CurrentDirGuard back;
        fs::current_path(reference.path());
        engine.calculate();
    }
    const std::string expected = read_file((reference.out() / "trajectory.bin").string());
    const std::int64_t frame = 8 + 101 * 8;
    ASSERT_GT(expected.size(), 0u);
    ASSERT_EQ(expected.size() % frame, 0u);
    const auto frames = static_cast<std::uint64_t>(expected.size() / frame);

    {  // no trajectory yet: Yes calculates
        ScriptedAnswers answers({Answer::yes});
        CShowDoc doc(answers.asker());
        ASSERT_TRUE(doc.OnOpenDocument(folder.config())) << log();
        ASSERT_EQ(answers.asked.size(), 1u);
        EXPECT_EQ(answers.asked[0].message, no_trajectory);
        EXPECT_EQ(answers.asked[0].caption, "Load file");
        EXPECT_EQ(answers.asked[0].buttons, QuestionButtons::yes_no);
        EXPECT_TRUE(doc.loaded());
        EXPECT_EQ(doc.folder(), folder.path().string() + "/");
        EXPECT_EQ(doc.trajectory_path(), (folder.out() / "trajectory.bin").string());
        EXPECT_EQ(doc.frame_size(), frame);
        EXPECT_EQ(doc.engine()->experiment_count, 1);
        wait_for_calculation(doc);
        EXPECT_EQ(doc.GetFrameCount(), frames);
    }
    EXPECT_TRUE(read_file((folder.out() / "trajectory.bin").string()) == expected);

    {  // found: No plays it back without a thread
        ScriptedAnswers answers({Answer::no});
        CShowDoc doc(answers.asker());
        ASSERT_TRUE(doc.OnOpenDocument(folder.config()));
        ASSERT_EQ(answers.asked.size(), 1u);
        EXPECT_EQ(answers.asked[0].message, trajectory_found);
        EXPECT_EQ(answers.asked[0].buttons, QuestionButtons::yes_no_cancel);
        EXPECT_EQ(answers.asked[0].default_answer, Answer::no);
        EXPECT_FALSE(doc.calculating());
        EXPECT_EQ(doc.GetFrameCount(), frames);
        trajectory::Frame last;
        EXPECT_TRUE(doc.frames().read(frames - 1, last));
        EXPECT_FALSE(doc.frames().read(frames, last));
    }
    {  // found: Cancel gives no document
        ScriptedAnswers answers({Answer::cancel});
        CShowDoc doc(answers.asker());
        EXPECT_FALSE(doc.OnOpenDocument(folder.config()));
        EXPECT_FALSE(doc.loaded());
        EXPECT_FALSE(doc.calculating());
    }
    {  // found: Yes calculates anew; the old frames are never counted
        calculation_gate_open = false;
        engine_host_detail::set_before_calculation(wait_at_gate);
        ScriptedAnswers answers({Answer::yes});
        CShowDoc doc(answers.asker());
        ASSERT_TRUE(doc.OnOpenDocument(folder.config()));
        EXPECT_TRUE(doc.calculating());
        EXPECT_EQ(doc.GetFrameCount(), 0u);
        const std::uint64_t restarts = doc.frames().restarts();
        calculation_gate_open = true;
        std::uint64_t seen = 0;
        while (doc.calculating()) {
            const std::uint64_t now = doc.GetFrameCount();
            EXPECT_GE(now, seen);
            seen = now;
        }
        EXPECT_EQ(doc.GetFrameCount(), frames);
        EXPECT_EQ(doc.frames().restarts(), restarts + 1);
    }
    EXPECT_TRUE(read_file((folder.out() / "trajectory.bin").string()) == expected);
}

TEST_F(OpenSequence, NoToStartingACalculationGivesNoDocument) {
    ScriptedAnswers answers({Answer::no});
    CShowDoc doc(answers.asker());
    EXPECT_FALSE(doc.OnOpenDocument(folder.config()));
    EXPECT_EQ(answers.messages(), std::vector<std::string>{no_trajectory});
    EXPECT_FALSE(doc.calculating());
    EXPECT_FALSE(fs::exists(folder.out() / "trajectory.bin"));
}

TEST_F(OpenSequence, RelativePathIsTakenFromTheCurrentDirectory) {
    fs::current_path(folder.path().parent_path());
    ScriptedAnswers answers({Answer::no});
    CShowDoc doc(answers.asker());
    EXPECT_FALSE(doc.OnOpenDocument((folder.path().filename() / "run.cfg").string()));
    EXPECT_EQ(answers.messages(), std::vector<std::string>{no_trajectory}) << log();
    EXPECT_EQ(fs::current_path(), folder.path());
}

TEST_F(OpenSequence, AFolderWithBlanksAndNonAsciiLettersOpens) {
    const fs::path odd = folder.path() / "Pr\xc3\xbc""fung 'n' $(x)";
    fs::create_directory(odd);
    for (const char* name : {"run.cfg", "pept.pdb"}) fs::copy_file(folder.path() / name, odd / name);
    fs::create_directory(odd / "out");
    ScriptedAnswers answers({Answer::no});
    CShowDoc doc(answers.asker());
    EXPECT_FALSE(doc.OnOpenDocument((odd / "run.cfg").string()));
    EXPECT_EQ(answers.messages(), std::vector<std::string>{no_trajectory}) << log();
    EXPECT_EQ(doc.folder(), odd.string() + "/");
    EXPECT_EQ(doc.trajectory_path(), (odd / "out" / "trajectory.bin").string());
}

TEST_F(OpenSequence, CountsOnlyWholeFramesOfAFileThatIsThere) {
    const std::size_t frame = 8 + 101 * 8;
    write_file((folder.out() / "trajectory.bin").string(), std::string(3 * frame + frame / 2, '\0'));
    ScriptedAnswers answers({Answer::no});
    CShowDoc doc(answers.asker());
    ASSERT_TRUE(doc.OnOpenDocument(folder.config()));
    EXPECT_EQ(doc.GetFrameCount(), 3u);
}

TEST_F(OpenSequence, OpensOnceAndNeverSaves) {
    ScriptedAnswers answers({Answer::no});
    CShowDoc doc(answers.asker());
    EXPECT_FALSE(doc.OnOpenDocument(folder.config()));
    EXPECT_FALSE(doc.OnOpenDocument(folder.config()));
    EXPECT_EQ(answers.asked.size(), 1u);
    EXPECT_FALSE(doc.OnSaveDocument(folder.config()));
}

// ---- closing ------------------------------------------------------------------

class Closing : public DocumentTest {
protected:
    // A calculation that would run for a very long time, writing a frame
    // at every step.
    Closing() : folder(viewer_configuration("NT = 1000000000 trajectory_save_interval = 1 save_interval = 1000000")) {}
    RunFolder folder;
};

TEST_F(Closing, DuringALongCalculationReturnsWithinAStepOfTheRequest) {
    std::uint64_t at_request = 0;
    int waits = 0;
    ScriptedAnswers answers({Answer::yes});
    std::unique_ptr<CShowDoc> doc;
    doc = std::make_unique<CShowDoc>(answers.asker(), [&](const std::function<bool()>& finished) {
        ++waits;
        // The request has been made: every frame counted now was written
        // before the calculation could see it.
        at_request = doc->GetFrameCount();
        sleeping_wait(finished);
    });
    ASSERT_TRUE(doc->OnOpenDocument(folder.config()));
    while (doc->GetFrameCount() < 5) std::this_thread::sleep_for(std::chrono::milliseconds(1));
    doc->OnCloseDocument();
    EXPECT_EQ(waits, 1);
    EXPECT_FALSE(doc->calculating());
    // The step in progress and the final frame.
    EXPECT_LE(doc->GetFrameCount(), at_request + 2);
    EXPECT_GE(doc->GetFrameCount(), 5u);
    doc->OnCloseDocument();  // nothing left to close
    EXPECT_EQ(waits, 1);
}

TEST_F(Closing, RightAfterTheStartStopsTheCalculationBeforeItRuns) {
    ScriptedAnswers answers({Answer::yes});
    CShowDoc doc(answers.asker());
    ASSERT_TRUE(doc.OnOpenDocument(folder.config()));
    doc.OnCloseDocument();
    EXPECT_FALSE(doc.calculating());
    EXPECT_LE(doc.GetFrameCount(), 2u);
}

TEST_F(Closing, ACloseOrOpenDispatchedDuringTheWaitReturnsAtOnce) {
    int waits = 0;
    bool reopened = true;
    ScriptedAnswers answers({Answer::yes});
    CShowDoc* self = nullptr;
    CShowDoc doc(answers.asker(), [&](const std::function<bool()>& finished) {
        ++waits;
        EXPECT_TRUE(self->closing());
        self->OnCloseDocument();
        reopened = self->OnOpenDocument(folder.config());
        sleeping_wait(finished);
    });
    self = &doc;
    ASSERT_TRUE(doc.OnOpenDocument(folder.config()));
    doc.OnCloseDocument();
    EXPECT_EQ(waits, 1);
    EXPECT_FALSE(reopened);
    EXPECT_FALSE(doc.closing());
    EXPECT_FALSE(doc.calculating());
}

TEST_F(Closing, TheDocumentsEndClosesARunningCalculation) {
    {
        ScriptedAnswers answers({Answer::yes});
        CShowDoc doc(answers.asker());
        ASSERT_TRUE(doc.OnOpenDocument(folder.config()));
        while (doc.GetFrameCount() < 2) std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    EXPECT_TRUE(contains(log(), "Done.")) << log();
}

}  // namespace
