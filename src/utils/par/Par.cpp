#include "utils/par/Par.h"

#include <cstdio>
#include <cstdlib>

#ifdef ZELMAR_HAVE_MPI
#include <mpi.h>
#endif

namespace {
par_detail::Failures failures;
}  // namespace

void par_detail::set_failures(const Failures& injected) { failures = injected; }

namespace par {

#ifdef ZELMAR_HAVE_MPI

namespace {

bool is_initialized() {
    int flag = 0;
    MPI_Initialized(&flag);
    return flag != 0;
}

bool is_finalized() {
    int flag = 0;
    MPI_Finalized(&flag);
    return flag != 0;
}

}  // namespace

int init(int* argc, char*** argv) {
    if (failures.init != 0) return failures.init;
    if (is_initialized()) return 0;
    return MPI_Init(argc, argv);
}

bool initialized() { return is_initialized() && !is_finalized(); }

int rank(std::int32_t& rank) {
    if (failures.rank != 0) return failures.rank;
    int value = 0;
    const int result = MPI_Comm_rank(MPI_COMM_WORLD, &value);
    if (result == MPI_SUCCESS) rank = value;
    return result;
}

int size(std::int32_t& size) {
    if (failures.size != 0) return failures.size;
    int value = 0;
    const int result = MPI_Comm_size(MPI_COMM_WORLD, &value);
    if (result == MPI_SUCCESS) size = value;
    return result;
}

int barrier() { return MPI_Barrier(MPI_COMM_WORLD); }

int finalize() {
    if (!initialized()) return 0;
    return MPI_Finalize();
}

void abort(int status) {
    std::fflush(nullptr);
    if (initialized()) MPI_Abort(MPI_COMM_WORLD, status);
    std::exit(status);
}

#else  // a job of one process

namespace {
bool joined = false;
}

int init(int*, char***) {
    if (failures.init != 0) return failures.init;
    joined = true;
    return 0;
}

bool initialized() { return joined; }

int rank(std::int32_t& rank) {
    if (failures.rank != 0) return failures.rank;
    rank = 0;
    return 0;
}

int size(std::int32_t& size) {
    if (failures.size != 0) return failures.size;
    size = 1;
    return 0;
}

int barrier() { return 0; }

int finalize() {
    joined = false;
    return 0;
}

void abort(int status) {
    std::fflush(nullptr);
    std::exit(status);
}

#endif

}  // namespace par
