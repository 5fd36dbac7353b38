#pragma once
// How the document talks to the person: a question with its message, caption,
// buttons and default button, answered by the window layer with a message
// box and by tests in code.
#include <functional>
#include <string>

enum class QuestionButtons { ok, yes_no, yes_no_cancel };

enum class Answer { ok, yes, no, cancel };

struct Question {
    std::string message;
    std::string caption;                        // "Load file" for every question of the open
    QuestionButtons buttons = QuestionButtons::ok;
    Answer default_answer = Answer::ok;         // the button a bare Enter chooses
};

// Asks `question` and gives the person's answer: one of the answers its
// buttons offer (ok for an OK box).
using AskQuestion = std::function<Answer(const Question& question)>;
