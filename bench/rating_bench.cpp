// New ratings per active issuer: NormalCdf and the threshold scan of the
// reference against the cut points, one issuer at a time and a row at a
// time (the window count), on standard normal shocks and the M portfolio's
// grades.
#include <benchmark/benchmark.h>

#include <vector>

#include "bench_portfolio.hpp"
#include "numerics/normal_distribution.hpp"
#include "numerics/normal_draw_table.hpp"
#include "simulation/migrate_issuers.hpp"
#include "simulation/rating_cuts.hpp"
#include "simulation/rating_windows.hpp"

namespace creditsim {
namespace {

struct Issuers {
  bench::BenchPortfolio portfolio{"M"};
  std::vector<double> shocks;
  std::vector<RatingCode> grades;
  Issuers() {
    RandomSource source;
    for (int i = 0; i < 4096; ++i) {
      shocks.push_back(IssuerShockTable().Draw(source));
      const RatingCode g = portfolio.run.issuerRating[i % portfolio.run.issuerCount];
      grades.push_back(g == 0 ? 4 : g);
    }
  }
  RatingCode Grade(std::size_t i) const { return grades[i]; }
};

void BM_RatingByNormalCdf(benchmark::State& state) {
  Issuers issuers;
  std::size_t i = 0;
  for (auto _ : state) {
    const std::size_t k = i++ & 4095;
    benchmark::DoNotOptimize(
        NewRating(issuers.portfolio.run.migrationThreshold, issuers.Grade(k), NormalCdf(issuers.shocks[k])));
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_RatingByNormalCdf);

void BM_RatingByCuts(benchmark::State& state) {
  Issuers issuers;
  const RatingCuts cuts(issuers.portfolio.run.migrationThreshold);
  std::size_t i = 0;
  for (auto _ : state) {
    const std::size_t k = i++ & 4095;
    benchmark::DoNotOptimize(cuts.NewRating(issuers.Grade(k), issuers.shocks[k]));
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_RatingByCuts);

void BM_RatingByWindows(benchmark::State& state) {
  Issuers issuers;
  const RatingCuts cuts(issuers.portfolio.run.migrationThreshold);
  const auto n = static_cast<std::int32_t>(issuers.shocks.size());
  std::vector<double> planes(RatingWindowDoubles(n));
  BuildRatingWindows(cuts, issuers.grades.data(), n, planes.data());
  std::vector<RatingCode> out(issuers.shocks.size());
  std::vector<std::int32_t> listed(issuers.shocks.size());
  for (auto _ : state) {
    NewRatings(cuts, planes.data(), issuers.grades.data(), n, issuers.shocks.data(), out.data(), listed.data());
    benchmark::ClobberMemory();
  }
  state.SetItemsProcessed(state.iterations() * n);
}
BENCHMARK(BM_RatingByWindows);

}  // namespace
}  // namespace creditsim
