#pragma once
// Documents opened as the viewer opens them, with their questions answered
// in code: a configuration in a folder of its own, one log for the test,
// and the working directory, the process's handlers and the seams put back
// afterwards.
#include <gtest/gtest.h>

#include <deque>
#include <sstream>
#include <string>
#include <vector>

#include "dynamics/ProcessGlobals.h"
#include "dynamics/host/HostFixture.h"
#include "visualization/document/ShowDocSeams.h"
#include "visualization/document/showDoc.h"

namespace document_testing {

using namespace host_testing;
using testing_support::CurrentDirGuard;

// Answers the document's questions in turn from `answers`, keeping each
// question asked. A question beyond the answers fails the test and is
// answered with Cancel (OK for a box with only OK).
class ScriptedAnswers {
public:
    explicit ScriptedAnswers(std::vector<Answer> answers = {}) : answers_(answers.begin(), answers.end()) {}

    AskQuestion asker() {
        return [this](const Question& question) {
            asked.push_back(question);
            if (question.buttons == QuestionButtons::ok) return Answer::ok;
            if (answers_.empty()) {
                ADD_FAILURE() << "unexpected question: " << question.message;
                return Answer::cancel;
            }
            const Answer answer = answers_.front();
            answers_.pop_front();
            return answer;
        };
    }

    // The messages asked, in order.
    std::vector<std::string> messages() const {
        std::vector<std::string> texts;
        for (const Question& question : asked) texts.push_back(question.message);
        return texts;
    }

    std::vector<Question> asked;

private:
    std::deque<Answer> answers_;
};

inline const std::string no_trajectory = "No trajectory found!\r\n\r\nStart calculation?";
inline const std::string trajectory_found =
    "Already calculated trajectory found!\r\n\r\nDo you wish to start new calculation?";

// The configuration of host_testing::small_configuration with keys of the
// viewer: `species_a` and `species_b` go into the two species' sections,
// `visualisation` into a section "Visualisation" (none when empty).
inline std::string viewer_configuration(const std::string& calculation = "", const std::string& species_a = "",
                                        const std::string& species_b = "", const std::string& visualisation = "",
                                        int instances = 4) {
    std::string text = small_configuration(calculation, "", instances);
    const auto insert_into = [&text](const std::string& opening, const std::string& keys) {
        const std::size_t at = text.find(opening);
        if (at != std::string::npos && !keys.empty()) text.insert(at + opening.size(), " " + keys + " ");
    };
    insert_into("A { ", species_a);
    insert_into("B { ", species_b);
    if (!visualisation.empty()) text += "\nVisualisation { " + visualisation + " }\n";
    return text;
}

class DocumentTest : public HostedEngines {
protected:
    void TearDown() override {
        showdoc_detail::set_open_hook(nullptr);
        engine_host_detail::set_before_calculation(nullptr);
        delayed_ctrl_c_processing = false;
        HostedEngines::TearDown();
    }

    CurrentDirGuard working_directory;
};

}  // namespace document_testing
