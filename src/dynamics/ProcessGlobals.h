#pragma once
// Process-wide globals shared by the engine program's entry and the engine.
#include <cstdint>

// MPI rank of this process; 0 when MPI is off or the process works alone in
// its rank folder.
extern std::int32_t processorID;
// Number of processes that share the experiments; 1 when MPI is off or the
// process works alone.
extern std::int32_t numberOfProcessors;
// MPI was initialised; the exit function then finalises it.
extern bool mpi_initialized;
