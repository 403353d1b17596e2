// The factorisation of an issuer correlation matrix (sector blocks, as in the
// synthetic portfolios), row by row and in blocks of rows side by side.
// items/s counts the multiply-subtract steps, about n^3 / 6.
#include <benchmark/benchmark.h>

#include <vector>

#include "numerics/correlation_factor.hpp"

namespace creditsim {
namespace {

std::vector<double> SectorCorrelation(int n) {
  std::vector<double> a(static_cast<std::size_t>(n) * n);
  for (int i = 0; i < n; ++i) {
    for (int j = 0; j < n; ++j) a[static_cast<std::size_t>(i) * n + j] = i == j ? 1.0 : i % 10 == j % 10 ? 0.3 : 0.1;
  }
  return a;
}

// Arguments: n; blocks of rows (1) or row by row (0).
void BM_FactorCorrelation(benchmark::State& state) {
  const int n = static_cast<int>(state.range(0));
  const std::vector<double> a = SectorCorrelation(n);
  std::vector<double> f(a.size());
  for (auto _ : state) {
    if (state.range(1) == 1) {
      FactorCorrelation(n, a.data(), f.data());
    } else {
      FactorCorrelationScalar(n, a.data(), f.data());
    }
    benchmark::ClobberMemory();
  }
  state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(n) * n * n / 6);
}
BENCHMARK(BM_FactorCorrelation)
    ->ArgsProduct({{500, 2000}, {0, 1}})
    ->ArgNames({"n", "blocks"})
    ->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace creditsim
