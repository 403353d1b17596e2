// Asset revaluation of one scenario (S, M, L portfolios, every issuer at its
// current grade): the reference stage, the fast engine's plan (kernel,
// default fix-ups and the strict sum), and the strict sum alone. The plan is
// timed a second time over a cycle of scenarios whose issuers migrate and
// default at the portfolio's own rates, because the repricing reads a new
// grade's spreads only for the assets whose issuer moved.
// items/s counts assets.
#include <benchmark/benchmark.h>

#include <random>
#include <vector>

#include "bench_portfolio.hpp"
#include "simulation/asset_revaluation_plan.hpp"
#include "simulation/migrate_issuers.hpp"
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

// A plan allocated and built for the portfolio, as the fast engine has it.
struct BuiltPlan {
  WorkingMemory memory;
  AssetRevaluationPlan plan;
  explicit BuiltPlan(const SimulationRun& run) {
    WorkingMemory counting;
    plan.Allocate(counting, run.assetCount, run.issuerCount);
    memory = WorkingMemory(counting.Used());
    plan.Allocate(memory, run.assetCount, run.issuerCount);
    plan.Build(run);
  }
};

void BM_RevaluePlan(benchmark::State& state) {
  Revaluation r(state.range(0));
  const SimulationRun& run = r.portfolio.run;
  BuiltPlan built(run);
  RandomSource source;
  for (auto _ : state) benchmark::DoNotOptimize(built.plan.Revalue(r.grades.data(), r.factors, source, run.assetPnl));
  r.Count(state);
}
BENCHMARK(BM_RevaluePlan)->DenseRange(0, 2)->ArgName("size");

// New grades of 16 scenarios, each issuer rated from its own uniform
// percentile through the portfolio's thresholds.
std::vector<std::vector<RatingCode>> MigratedGrades(const SimulationRun& run) {
  std::mt19937_64 engine(5);
  std::uniform_real_distribution<double> percentile(0, 1);
  std::vector<std::vector<RatingCode>> scenarios(16);
  for (auto& grades : scenarios) {
    for (std::int32_t i = 0; i < run.issuerCount; ++i) {
      grades.push_back(NewRating(run.migrationThreshold, run.issuerRating[i], percentile(engine)));
    }
  }
  return scenarios;
}

void BM_RevaluePlanMigrating(benchmark::State& state) {
  Revaluation r(state.range(0));
  const SimulationRun& run = r.portfolio.run;
  BuiltPlan built(run);
  const auto scenarios = MigratedGrades(run);
  RandomSource source;
  std::size_t s = 0;
  for (auto _ : state) {
    const RatingCode* grades = scenarios[s++ % scenarios.size()].data();
    benchmark::DoNotOptimize(built.plan.Revalue(grades, r.factors, source, run.assetPnl));
  }
  r.Count(state);
}
BENCHMARK(BM_RevaluePlanMigrating)->DenseRange(0, 2)->ArgName("size");

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
