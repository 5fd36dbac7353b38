// Speed of svd, pinv, the matrix product, the distributions and random numbers.
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

namespace {

void BM_distributions(benchmark::State& state) {
    for (auto _ : state) {
        benchmark::DoNotOptimize(normal(1.3));
        benchmark::DoNotOptimize(chi2(12.0, 7));
        benchmark::DoNotOptimize(fisher(2.5, 5, 12));
    }
}
BENCHMARK(BM_distributions);

void BM_inv_normal(benchmark::State& state) {
    for (auto _ : state) benchmark::DoNotOptimize(inv_normal(1e-8));
}
BENCHMARK(BM_inv_normal);

void BM_inv_chi2(benchmark::State& state) {
    const int n = static_cast<int>(state.range(0));
    for (auto _ : state) benchmark::DoNotOptimize(inv_chi2(0.999, n));
}
BENCHMARK(BM_inv_chi2)->Arg(1)->Arg(39);

void BM_inv_fisher(benchmark::State& state) {
    const int n = static_cast<int>(state.range(0));
    for (auto _ : state) benchmark::DoNotOptimize(inv_fisher(0.95, n, n));
}
BENCHMARK(BM_inv_fisher)->Arg(5)->Arg(100);

void BM_randn(benchmark::State& state) {
    for (auto _ : state) benchmark::DoNotOptimize(randn());
}
BENCHMARK(BM_randn);

}  // namespace
