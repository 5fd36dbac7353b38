#pragma once
// An engine that stands in for PDcalc in tests of the program's entry: it
// records where and with what it was prepared, and succeeds, fails or throws
// as told.
#include <fstream>
#include <memory>
#include <new>
#include <stdexcept>
#include <string>

#include <unistd.h>

#include "dynamics/ProcessGlobals.h"
#include "utils/Log.h"
#include "utils/platform/Paths.h"
#include "zelmar/Engine.h"

namespace fake_engine {

enum class Behaviour {
    succeed,
    fail,
    throw_text_in_prepare,
    throw_text_in_calculate,
    throw_string,
    throw_bad_alloc,
    throw_standard,
    throw_int,
};

class FakeEngine final : public zelmar::Engine {
public:
    FakeEngine(Behaviour behaviour, std::string report) : behaviour_(behaviour), report_(std::move(report)) {}
    ~FakeEngine() override { LOG_MESSAGE("fake engine destroyed"); }

    bool prepare(const std::string& config_path) override {
        if (!report_.empty()) {
            std::ofstream out(report_);
            out << platform::current_directory().value_or("?") << '\n'
                << config_path << '\n'
                << processorID << " of " << numberOfProcessors << '\n'
                << "nice " << ::nice(0) << '\n';
        }
        LOG_MESSAGE("fake prepare");
        switch (behaviour_) {
            case Behaviour::fail: return false;
            case Behaviour::throw_text_in_prepare: throw "No compartment defined";
            case Behaviour::throw_string: throw std::string("restart file does not match");
            case Behaviour::throw_bad_alloc: throw std::bad_alloc();
            case Behaviour::throw_standard: throw std::out_of_range("index");
            case Behaviour::throw_int: throw 42;
            default: return true;
        }
    }

    void calculate() override {
        LOG_MESSAGE("fake calculate");
        if (behaviour_ == Behaviour::throw_text_in_calculate) throw "Bad restart file";
    }

private:
    Behaviour behaviour_;
    std::string report_;
};

inline zelmar::EngineFactory factory(Behaviour behaviour, std::string report = {}) {
    return [=] { return std::make_unique<FakeEngine>(behaviour, report); };
}

}  // namespace fake_engine
