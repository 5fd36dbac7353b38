#include "dynamics/ProcessGlobals.h"

std::int32_t processorID = 0;
std::int32_t numberOfProcessors = 1;
bool mpi_initialized = false;
std::atomic<bool> running_flag{true};
std::atomic<bool> delayed_ctrl_c_processing{false};
