// Issuer migration: independent shocks first, then Z = U * e summed in
// ascending column order, then the first-match threshold rule.
#include "simulation/migrate_issuers.hpp"

#include <cstddef>

#include "numerics/normal_distribution.hpp"

namespace creditsim {

RatingCode NewRating(const double* migrationThreshold, RatingCode current, double percentile) {
  if (current == kInactive) return kInactive;
  for (int k = 1; k <= kGradeCount; ++k) {
    if (MigrationThreshold(migrationThreshold, current, k) < percentile) return static_cast<RatingCode>(k);
  }
  return kDefault;
}

void MigrateIssuers(const SimulationRun& run, RandomSource& source) {
  const std::ptrdiff_t n = run.issuerCount;
  for (std::ptrdiff_t i = 0; i < n; ++i) {
    run.issuerShock[i] = NormalDraw(source, kIssuerShockLow, kIssuerShockHigh);
  }
  for (std::ptrdiff_t i = 0; i < n; ++i) {
    const double* row = run.factor + i * n;
    double z = 0;
    for (std::ptrdiff_t j = i; j < n; ++j) {
      const double product = row[j] * run.issuerShock[j];
      z = z + product;
    }
    run.issuerPercentile[i] = NormalCdf(z);
  }
  for (std::ptrdiff_t i = 0; i < n; ++i) {
    run.issuerNewRating[i] = NewRating(run.migrationThreshold, run.issuerRating[i], run.issuerPercentile[i]);
  }
}

}  // namespace creditsim
