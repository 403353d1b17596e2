#include "report/migration_check.hpp"

#include <vector>

#include "numerics/random_source.hpp"
#include "simulation/migrate_issuers.hpp"
#include "simulation/simulation_run.hpp"

namespace creditsim::cli {

GradeMatrix ProbabilitiesFromThresholds(const std::vector<double>& thresholds) {
  GradeMatrix probabilities{};
  for (int r = 1; r <= 7; ++r) {
    double better = 1;  // T(r, 0)
    for (int k = 1; k <= 7; ++k) {
      const double worse = MigrationThreshold(thresholds.data(), r, k);
      probabilities[r - 1][k - 1] = better - worse;
      better = worse;
    }
    probabilities[r - 1][7] = better;
  }
  return probabilities;
}

MigrationCheck CheckMigration(const SimulationInputs& inputs, std::uint32_t seed, std::int32_t scenarios) {
  const auto n = static_cast<std::size_t>(inputs.issuerCount);
  std::vector<double> percentile(n), shock(n);
  std::vector<RatingCode> newRating(n);
  SimulationRun run;
  run.issuerCount = inputs.issuerCount;
  run.factor = inputs.factor.data();
  run.issuerPercentile = percentile.data();
  run.issuerShock = shock.data();
  run.issuerRating = inputs.issuerRating.data();
  run.migrationThreshold = inputs.migrationThreshold.data();
  run.issuerNewRating = newRating.data();

  std::array<std::array<std::int64_t, 8>, 7> counts{};
  RandomSource source;
  source.Seed(seed);
  for (std::int32_t s = 0; s < scenarios; ++s) {
    MigrateIssuers(run, source);
    for (std::size_t i = 0; i < n; ++i) {
      const int from = inputs.issuerRating[i];
      if (from >= 1 && from <= 7) ++counts[from - 1][newRating[i] - 1];
    }
  }
  MigrationCheck check;
  check.scenarios = scenarios;
  check.expected = ProbabilitiesFromThresholds(inputs.migrationThreshold);
  for (int r = 0; r < 7; ++r) {
    for (int k = 0; k < 8; ++k) check.issuerYears[r] += counts[r][k];
    for (int k = 0; k < 8; ++k) {
      check.realised[r][k] = check.issuerYears[r] > 0 ? static_cast<double>(counts[r][k]) / static_cast<double>(check.issuerYears[r]) : 0.0;
    }
  }
  return check;
}

}  // namespace creditsim::cli
