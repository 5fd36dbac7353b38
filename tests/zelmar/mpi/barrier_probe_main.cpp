// The program's entry with an engine that shows the start-up order of a
// shared-folder job: process 0 prepares first (slowly) and leaves a mark;
// every other process records whether the mark was there when it prepared.
#include <chrono>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <thread>

#include "dynamics/ProcessGlobals.h"
#include "utils/Log.h"
#include "zelmar/Zelmar_main.h"

namespace {

constexpr const char* mark = "rank0.prepared";

class BarrierProbe final : public zelmar::Engine {
public:
    bool prepare(const std::string&) override {
        LOG_MESSAGE("process %d of %d", processorID, numberOfProcessors);
        if (processorID == 0) {
            std::this_thread::sleep_for(std::chrono::milliseconds(300));
            std::ofstream(mark) << "done\n";
            LOG_MESSAGE("prepared first");
        } else {
            LOG_MESSAGE("process 0 had prepared: %s", std::filesystem::exists(mark) ? "yes" : "no");
        }
        return true;
    }
    void calculate() override { LOG_MESSAGE("calculating"); }
};

}  // namespace

int main(int argc, char** argv) {
    return zelmar::zelmar_main(argc, argv, [] { return std::make_unique<BarrierProbe>(); });
}
