#include "dynamics/PDcalc.h"

#include "dynamics/ProcessGlobals.h"
#include "utils/Log.h"
#include "utils/par/Par.h"
#include "utils/platform/Paths.h"
#include "utils/platform/Process.h"
#include "winfault/FaultReporter.h"

bool PDcalc::prepare(const std::string& config_path) {
    winfault::install_fault_reporter(__FILE__, __LINE__);
    if constexpr (par::available)
        LOG_MESSAGE("Zelmar (MPICH) build %s %s", __DATE__, __TIME__);
    else
        LOG_MESSAGE("Zelmar build %s %s", __DATE__, __TIME__);
    LOG_MESSAGE("process %d of %d", processorID, numberOfProcessors);
    LOG_MESSAGE("process PID = %lu", platform::process_id());
    if (const auto folder = platform::current_directory()) LOG_MESSAGE("running in %s", folder->c_str());
    LOG_MESSAGE("configuration file %s", config_path.c_str());
    // The configuration reader and the simulation are not part of this
    // build yet, so no configuration can be prepared.
    LOG_ERROR("cannot read configuration file \"%s\": this build of the engine has no configuration reader yet",
              config_path.c_str());
    return false;
}

void PDcalc::calculate() {}
