#pragma once
// Engines as guests of a host process (the viewer): several engine objects
// in one process, each prepared on one thread and calculated on a thread of
// its own, stoppable, logging into the host's window. This is the header a
// host includes.
//
// What a host does with each engine (one per open configuration):
//   1. Construct a PDcalc and, before prepare, set
//        anchor_folders = true             its files stay beside its
//                                          configuration while the host
//                                          changes the working directory;
//        velmesh_surface, surf_cells_save  the display hooks (optional).
//   2. Call prepare(path) on the host's thread. Prepare one engine at a time
//      (the configuration reader and the random streams' package seed are
//      process-wide); preparing one engine while others calculate is safe.
//      Each engine registers its restart blocks in its own registry.
//   3. Set experiment_count, then start a CalculationThread on the engine
//      (or call run_calculation on a thread of the host's own).
//   4. Watch trajectory_generation: when it changes, the file that
//      trajectory_path() names has been opened anew (truncated, or continued
//      after a restore); a trajectory::Reader opened after the change reads
//      that calculation's frames, counted by the reader's own descriptor.
//   5. To close: request_stop() (never lost, whenever it comes), wait for
//      the thread (the CalculationThread's destructor does both), then
//      destroy the engine.
// Log lines reach a window through CLog::SetLineSink, best through a
// LogLineQueue that the window's thread empties.
//
// Interrupts: the engine's handler of the interrupt and terminate signals
// clears the process-wide running_flag, which stops every calculation
// running then after its step in progress. run_calculation arms the flag
// again when it starts while no other calculation of the process runs, so
// one interrupt does not keep the host from calculating for the rest of its
// life.
#include "dynamics/PDcalc.h"
#include "dynamics/output/TrajectoryReader.h"
#include "utils/Log.h"
#include "utils/LogLineQueue.h"

#include <atomic>
#include <thread>

namespace engine_host {

enum class CalculationResult {
    finished,        // calculate returned: the run ended, was stopped or refused its trajectory
    not_configured,  // "Calculation.calc_kin" is off: nothing was run (a warning is logged)
    failed,          // an exception ended the calculation (one error line is logged)
};

// Runs engine.calculate() on the calling thread, with the processor-fault
// reporter installed on it. Every exception the engine throws (a text, a
// std::string, std::bad_alloc, any std::exception, anything else) is logged
// as one error line and ends only this calculation, never the process.
CalculationResult run_calculation(PDcalc& engine);

// The number of calculations of this process inside run_calculation now.
int running_calculations();

// One engine's calculation on a thread of its own, from construction to
// destruction.
class CalculationThread {
public:
    // Starts run_calculation(engine); `engine` must outlive this object.
    explicit CalculationThread(PDcalc& engine);
    // Requests the stop and waits for the thread.
    ~CalculationThread();
    CalculationThread(const CalculationThread&) = delete;
    CalculationThread& operator=(const CalculationThread&) = delete;

    // The engine's request_stop.
    void request_stop() { engine_.request_stop(); }
    // Whether the calculation has returned; the thread ends right after.
    bool finished() const { return finished_.load(); }
    // Waits until the calculation has returned and gives its result.
    CalculationResult wait();

private:
    PDcalc& engine_;
    CalculationResult result_ = CalculationResult::finished;
    std::atomic<bool> finished_{false};
    std::thread thread_;  // started last, once the rest is set up
};

}  // namespace engine_host

// Seam for tests: a function the wrapper runs on the calculation's thread
// just before calculate (a test makes it throw as the engine would, say
// std::bad_alloc); null for none.
namespace engine_host_detail {
using BeforeCalculation = void (*)(PDcalc& engine);
void set_before_calculation(BeforeCalculation hook);
}  // namespace engine_host_detail
