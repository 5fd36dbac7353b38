#pragma once
// How the document waits for its calculation to end when it closes: the
// window layer hands in a loop that keeps dispatching the window thread's
// events (so the log window and other documents stay alive) until
// `finished` says the wait is over.
#include <functional>

using WaitLoop = std::function<void(const std::function<bool()>& finished)>;

// A wait loop without windows: sleeps a few milliseconds between looks.
void sleeping_wait(const std::function<bool()>& finished);
