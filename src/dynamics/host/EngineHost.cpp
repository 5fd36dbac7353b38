#include "dynamics/host/EngineHost.h"

#include <exception>
#include <new>
#include <string>

#include "dynamics/ProcessGlobals.h"
#include "winfault/FaultReporter.h"

namespace engine_host {

namespace {

std::atomic<int> calculations{0};
std::atomic<engine_host_detail::BeforeCalculation> before_calculation{nullptr};

// Counts a calculation for as long as it runs; the first of a quiet process
// arms the interrupt flag again.
class RunningCalculation {
public:
    RunningCalculation() {
        if (calculations.fetch_add(1) == 0) running_flag = true;
    }
    ~RunningCalculation() { calculations.fetch_sub(1); }
    RunningCalculation(const RunningCalculation&) = delete;
    RunningCalculation& operator=(const RunningCalculation&) = delete;
};

void calculate(PDcalc& engine) {
    if (const auto hook = before_calculation.load()) hook(engine);
    engine.calculate();
}

}  // namespace

CalculationResult run_calculation(PDcalc& engine) {
    winfault::install_fault_reporter(__FILE__, __LINE__);
    if (!engine.calc_kin) {
        LOG_WARNING("\"Calculation.calc_kin\" is off: there is nothing to calculate");
        return CalculationResult::not_configured;
    }
    const RunningCalculation counted;
    try {
        calculate(engine);
        return CalculationResult::finished;
    } catch (const char* text) {
        LOG_ERROR("calculation terminated with exception %s", text);
    } catch (const std::string& text) {
        LOG_ERROR("calculation terminated with exception %s", text.c_str());
    } catch (const std::bad_alloc&) {
        LOG_ERROR("calculation terminated: not enough memory");
    } catch (const std::exception& e) {
        LOG_ERROR("calculation terminated with exception %s", e.what());
    } catch (...) {
        LOG_ERROR("calculation terminated with exception");
    }
    return CalculationResult::failed;
}

int running_calculations() { return calculations.load(); }

CalculationThread::CalculationThread(PDcalc& engine)
    : engine_(engine), thread_([this] {
          result_ = run_calculation(engine_);
          finished_ = true;
      }) {}

CalculationThread::~CalculationThread() {
    request_stop();
    wait();
}

CalculationResult CalculationThread::wait() {
    if (thread_.joinable()) thread_.join();
    return result_;
}

}  // namespace engine_host

namespace engine_host_detail {
void set_before_calculation(BeforeCalculation hook) { engine_host::before_calculation = hook; }
}  // namespace engine_host_detail
