// Speed of svd, pinv and the matrix product.
#include <benchmark/benchmark.h>

#include <random>
#include <valarray>

#include "matrix/Matrix.h"
#include "numerics/calvex.h"

namespace {

Matrix random_matrix(std::size_t rows, std::size_t cols) {
    std::mt19937_64 random(rows * 1000 + cols);
    std::uniform_real_distribution<double> value(-1.0, 1.0);
    Matrix A(rows, cols);
    for (std::size_t i = 0; i < rows; ++i) {
        for (std::size_t j = 0; j < cols; ++j) A(i, j) = value(random);
    }
    return A;
}

void BM_svd(benchmark::State& state) {
    const std::size_t m = static_cast<std::size_t>(state.range(0));
    const std::size_t n = static_cast<std::size_t>(state.range(1));
    const Matrix A = random_matrix(m, n);
    std::valarray<double> S(std::min(m, n));
    Matrix U(m, m), V(n, n);
    for (auto _ : state) {
        svd(A, S, U, V);
        benchmark::DoNotOptimize(S[0]);
    }
}
BENCHMARK(BM_svd)->Args({12, 12})->Args({100, 100})->Args({300, 50})->Args({50, 300});

void BM_pinv(benchmark::State& state) {
    const std::size_t n = static_cast<std::size_t>(state.range(0));
    const Matrix A = random_matrix(n, n);
    Matrix X(n, n);
    for (auto _ : state) {
        pinv(A, X);
        benchmark::DoNotOptimize(X(0, 0));
    }
}
BENCHMARK(BM_pinv)->Arg(12)->Arg(100);

void BM_product(benchmark::State& state) {
    const std::size_t n = static_cast<std::size_t>(state.range(0));
    const Matrix A = random_matrix(n, n);
    const Matrix B = random_matrix(n, n);
    for (auto _ : state) {
        Matrix R = A * B;
        benchmark::DoNotOptimize(R(0, 0));
    }
}
BENCHMARK(BM_product)->Arg(12)->Arg(100);

}  // namespace
