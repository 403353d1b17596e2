// Asset revaluation of one scenario (S, M, L portfolios, every issuer at its
// current grade): the reference stage, the fast engine's plan (kernel,
// default fix-ups and the strict sum), and the strict sum alone.
// items/s counts assets.
#include <benchmark/benchmark.h>

#include <vector>

#include "bench_portfolio.hpp"
#include "simulation/asset_revaluation_plan.hpp"
#include "simulation/revalue_assets.hpp"

namespace creditsim {
namespace {

struct Revaluation {
  bench::BenchPortfolio portfolio;
  std::vector<RatingCode> grades;
  ScenarioFactors factors{1.1, -0.02, 0.01};
  explicit Revaluation(long sizeIndex) : portfolio(bench::SizeName(sizeIndex)) {
    const SimulationRun& run = portfolio.run;
    grades.assign(run.issuerRating, run.issuerRating + run.issuerCount);
    std::copy(grades.begin(), grades.end(), run.issuerNewRating);
  }
  void Count(benchmark::State& state) const { state.SetItemsProcessed(state.iterations() * portfolio.run.assetCount); }
};

void BM_RevalueReference(benchmark::State& state) {
  Revaluation r(state.range(0));
  RandomSource source;
  for (auto _ : state) {
    r.portfolio.run.scenarioPnl[0] = 0;
    RevalueAssets(r.portfolio.run, 0, r.factors, source);
    benchmark::ClobberMemory();
  }
  r.Count(state);
}
BENCHMARK(BM_RevalueReference)->DenseRange(0, 2)->ArgName("size");

void BM_RevaluePlan(benchmark::State& state) {
  Revaluation r(state.range(0));
  const SimulationRun& run = r.portfolio.run;
  WorkingMemory counting;
  AssetRevaluationPlan plan;
  plan.Allocate(counting, run.assetCount, run.issuerCount);
  WorkingMemory memory(counting.Used());
  plan.Allocate(memory, run.assetCount, run.issuerCount);
  plan.Build(run);
  RandomSource source;
  for (auto _ : state) benchmark::DoNotOptimize(plan.Revalue(r.grades.data(), r.factors, source, run.assetPnl));
  r.Count(state);
}
BENCHMARK(BM_RevaluePlan)->DenseRange(0, 2)->ArgName("size");

void BM_StrictSum(benchmark::State& state) {
  Revaluation r(state.range(0));
  const SimulationRun& run = r.portfolio.run;
  for (auto _ : state) {
    double total = 0;
    for (std::int32_t a = 0; a < run.assetCount; ++a) total = total + run.assetValue[a];
    benchmark::DoNotOptimize(total);
  }
  r.Count(state);
}
BENCHMARK(BM_StrictSum)->DenseRange(0, 2)->ArgName("size");

}  // namespace
}  // namespace creditsim
