#pragma once
// The processes of a parallel job: MPI when the build has it
// (ZELMAR_HAVE_MPI), otherwise a stand-in for a job of one process.
// Every call returns 0 on success or the MPI error code.
#include <cstdint>

namespace par {

// Whether this build can join an MPI job.
#ifdef ZELMAR_HAVE_MPI
inline constexpr bool available = true;
#else
inline constexpr bool available = false;
#endif

// Joins the job; `argc` and `argv` are handed to MPI, which may consume its
// own arguments. Joining twice does nothing and succeeds.
int init(int* argc, char*** argv);

// Whether init has succeeded and finalize has not run yet.
bool initialized();

// This process's rank and the number of processes in the job.
int rank(std::int32_t& rank);
int size(std::int32_t& size);

// Waits until every process of the job has entered the barrier.
int barrier();

// Leaves the job; does nothing when the job was not joined or already left.
int finalize();

// Ends every process of the job with `status`.
[[noreturn]] void abort(int status);

}  // namespace par

// Seam for tests: a non-zero code makes every later call of init, rank or
// size fail with it without reaching MPI; zeros restore the real calls.
namespace par_detail {
struct Failures {
    int init = 0;
    int rank = 0;
    int size = 0;
};
void set_failures(const Failures& failures);
}  // namespace par_detail
