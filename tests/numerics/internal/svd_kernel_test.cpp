// The failure path of the SVD kernel, reached by lowering its step limit.
#include <gtest/gtest.h>

#include <stdexcept>
#include <valarray>

#include "matrix/Matrix.h"
#include "numerics/calvex.h"
#include "numerics/linalg/SvdKernel.h"

namespace {

struct StepLimit {
    explicit StepLimit(int steps) { calvex::svd_step_limit = steps; }
    ~StepLimit() { calvex::svd_step_limit = calvex::kSvdMaxSteps; }
};

}  // namespace

TEST(SvdKernel, NoConvergenceIsReportedAndTouchesNothing) {
    const double values[4] = {2, 1, 1, 3};
    const Matrix A(2, 2, values);
    std::valarray<double> S(42.0, 2);
    Matrix U = Matrix(2, 2) + 42.0;
    Matrix V = Matrix(2, 2) + 42.0;

    const StepLimit limit(0);
    testing::internal::CaptureStdout();
    try {
        svd(A, S, U, V);
        ADD_FAILURE() << "no exception";
    } catch (const std::runtime_error& e) {
        EXPECT_STREQ(e.what(), "Error: Not all singular values calculated");
    }
    EXPECT_EQ(testing::internal::GetCapturedStdout(),
              "calvex: fatal error in subroutine svd_kernel\n"
              "  reason 1: the decomposition was stopped because computing the singular value with index IERR = 2 "
              "needs more than 0 iterations; the singular values with indices IERR+1, IERR+2, ... are computed "
              "correctly\n");
    for (double s : S) EXPECT_EQ(s, 42.0);
    EXPECT_EQ(U(0, 0), 42.0);
    EXPECT_EQ(V(1, 1), 42.0);
}

// A diagonal matrix needs no QR step at all.
TEST(SvdKernel, DiagonalMatrixNeedsNoStep) {
    const double values[4] = {2, 0, 0, -3};
    std::valarray<double> S(2);
    Matrix U(2, 2), V(2, 2);
    const StepLimit limit(0);
    svd(Matrix(2, 2, values), S, U, V);
    EXPECT_EQ(S[0], 3.0);
    EXPECT_EQ(S[1], 2.0);
}
