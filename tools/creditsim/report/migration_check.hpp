// A check of the migration model: the grade-to-grade and default
// frequencies the simulation's migration stage realises, against the
// probabilities the threshold table stands for.
//
// The run itself keeps only the latest scenario's ratings, so the check
// runs the migration stage again on its own, with the run's factor,
// ratings, thresholds and seed, and counts every active issuer's move in
// every scenario. It draws the same correlated shocks the run's stage does,
// but not the same sequence from the second scenario on (the run also
// draws systematic factors and recoveries in between).
#pragma once

#include <array>
#include <cstdint>

#include "portfolio_simulation.hpp"

namespace creditsim::cli {

// Rows: current grade 1 ... 7 (index 0 ... 6); columns: new grade 1 ... 7
// and default (index 0 ... 7).
using GradeMatrix = std::array<std::array<double, 8>, 7>;

struct MigrationCheck {
  std::int32_t scenarios = 0;
  std::array<std::int64_t, 7> issuerYears{};  // active issuer-scenarios per current grade
  GradeMatrix realised{};                      // frequencies
  GradeMatrix expected{};                      // T(r, k - 1) - T(r, k), T(r, 0) = 1
};

// Probabilities implied by a threshold table.
GradeMatrix ProbabilitiesFromThresholds(const std::vector<double>& thresholds);

MigrationCheck CheckMigration(const SimulationInputs& inputs, std::uint32_t seed, std::int32_t scenarios);

}  // namespace creditsim::cli
