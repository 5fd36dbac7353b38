#include "visualization/document/WaitLoop.h"

#include <chrono>
#include <thread>

void sleeping_wait(const std::function<bool()>& finished) {
    while (!finished()) std::this_thread::sleep_for(std::chrono::milliseconds(5));
}
