// The correlated shocks z = U e for N = 50, 500, 2000: the strict row-by-row
// dot products of the reference engine, the panel kernel for one shock
// vector, and the panel kernel for four vectors per pass over the factor.
// items/s counts multiply-adds of the triangle, N (N + 1) / 2 per vector.
#include <benchmark/benchmark.h>

#include <vector>

#include "bench_portfolio.hpp"
#include "numerics/normal_draw_table.hpp"
#include "simulation/shock_correlation.hpp"

namespace creditsim {
namespace {

struct Correlation {
  std::int32_t n;
  std::vector<double> factor, panels;
  std::vector<std::vector<double>> shocks, out;

  explicit Correlation(long sizeIndex, int vectors) {
    bench::BenchPortfolio portfolio(bench::SizeName(sizeIndex));
    n = portfolio.run.issuerCount;
    factor.assign(portfolio.run.factor, portfolio.run.factor + static_cast<std::size_t>(n) * n);
    panels.resize(FactorPanelDoubles(n));
    PackFactorPanels(factor.data(), n, panels.data());
    RandomSource source;
    for (int v = 0; v < vectors; ++v) {
      shocks.emplace_back(n);
      for (auto& e : shocks.back()) e = IssuerShockTable().Draw(source);
      out.emplace_back(n);
    }
  }
  void Count(benchmark::State& state) const {
    state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(shocks.size()) * n * (n + 1) / 2);
  }
};

void BM_CorrelateRowByRow(benchmark::State& state) {
  Correlation c(state.range(0), 1);
  for (auto _ : state) {
    for (std::int32_t i = 0; i < c.n; ++i) {
      double z = 0;
      for (std::int32_t j = i; j < c.n; ++j) {
        const double product = c.factor[static_cast<std::size_t>(i) * c.n + j] * c.shocks[0][j];
        z = z + product;
      }
      c.out[0][i] = z;
    }
    benchmark::ClobberMemory();
  }
  c.Count(state);
}
BENCHMARK(BM_CorrelateRowByRow)->DenseRange(0, 2)->ArgName("size");

void BM_CorrelatePanels(benchmark::State& state) {
  const int vectors = static_cast<int>(state.range(1));
  Correlation c(state.range(0), vectors);
  std::vector<const double*> in;
  std::vector<double*> out;
  for (int v = 0; v < vectors; ++v) {
    in.push_back(c.shocks[v].data());
    out.push_back(c.out[v].data());
  }
  for (auto _ : state) {
    CorrelateShocks(c.panels.data(), c.n, in.data(), out.data(), vectors);
    benchmark::ClobberMemory();
  }
  c.Count(state);
}
BENCHMARK(BM_CorrelatePanels)->ArgsProduct({{0, 1, 2}, {1, 4, 8}})->ArgNames({"size", "vectors"});

}  // namespace
}  // namespace creditsim
