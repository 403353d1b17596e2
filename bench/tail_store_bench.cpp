// Tail stores over a stream of scenarios of the M portfolio (K = 100): the
// reference's in-place store against the fast engine's slot index and
// contiguous rest-of-portfolio columns. One iteration merges one scenario;
// the stores fill during the first few hundred iterations, as in a run.
#include <benchmark/benchmark.h>

#include <vector>

#include "bench_portfolio.hpp"
#include "numerics/normal_draw_table.hpp"
#include "simulation/rest_of_portfolio_store.hpp"
#include "simulation/tail_index.hpp"
#include "simulation/tail_store.hpp"

namespace creditsim {
namespace {

// Scenario P&L vectors (each asset's value times a normal draw) and a
// stream of scenario P&L values, normal around a small loss.
struct ScenarioStream {
  bench::BenchPortfolio portfolio{"M"};
  std::vector<std::vector<double>> pnl;
  RandomSource source;
  ScenarioStream() {
    const SimulationRun& run = portfolio.run;
    for (int s = 0; s < 64; ++s) {
      std::vector<double> v(run.assetCount);
      for (std::int32_t a = 0; a < run.assetCount; ++a) v[a] = run.assetValue[a] * 0.01 * IssuerShockTable().Draw(source);
      pnl.push_back(v);
    }
  }
  double NextTotal() { return 1e6 * (IssuerShockTable().Draw(source) - 0.2); }
};

void BM_TailReference(benchmark::State& state) {
  ScenarioStream stream;
  const SimulationRun& run = stream.portfolio.run;
  std::size_t s = 0;
  for (auto _ : state) {
    const std::size_t k = s++ % stream.pnl.size();
    std::copy(stream.pnl[k].begin(), stream.pnl[k].end(), run.assetPnl);
    run.scenarioPnl[0] = stream.NextTotal();
    UpdateTailStore(run, 0, 1.0);
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_TailReference);

void BM_TailIndexed(benchmark::State& state) {
  ScenarioStream stream;
  const SimulationRun& run = stream.portfolio.run;
  WorkingMemory counting;
  TailIndex tails;
  RestOfPortfolioStore rest;
  tails.Allocate(counting, run.tailSize, run.assetCount, run.issuerCount);
  rest.Allocate(counting, run.tailSize, run.assetCount);
  WorkingMemory memory(counting.Used());
  tails.Allocate(memory, run.tailSize, run.assetCount, run.issuerCount);
  rest.Allocate(memory, run.tailSize, run.assetCount);
  tails.Load(run);
  rest.Load(run);
  std::size_t s = 0;
  for (auto _ : state) {
    const std::size_t k = s++ % stream.pnl.size();
    const double L = stream.NextTotal();
    tails.Insert(run, L, 1.0, stream.pnl[k].data(), run.issuerNewRating);
    if (L < 0) rest.Merge(run, L, stream.pnl[k].data());
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_TailIndexed);

}  // namespace
}  // namespace creditsim
