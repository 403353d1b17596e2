// Asset revaluation of the fast engine, with everything that is fixed for a
// run worked out once.
//
// Per asset the rule (market factor 1 or 2, credit asset of an inactive
// issuer, credit asset) never changes during a run, and neither does the
// interpolated spread of each grade: only the new rating and the three
// systematic values vary by scenario. The plan keeps these per-run values
// in flat arrays, so a scenario reads one precomputed spread instead of two
// table rows and an interpolation. The arithmetic that remains is the same
// sequence of rounded operations as the step-by-step revaluation.
#pragma once

#include <cstdint>

#include "numerics/random_source.hpp"
#include "simulation/revalue_assets.hpp"
#include "simulation/simulation_run.hpp"
#include "simulation/working_memory.hpp"

namespace creditsim {

enum class AssetRule : std::uint8_t { Market1, Market2, InactiveIssuer, Credit };

// Precomputed spreads per asset: index g = 1 .. 7 of an 8-wide row.
inline constexpr int kGradeSpreadStride = 8;

class AssetRevaluationPlan {
 public:
  void Allocate(WorkingMemory& memory, std::int32_t M);
  void Build(const SimulationRun& run);

  // Revalues every asset for the given new ratings and systematic values:
  // writes assetPnl, draws one recovery per defaulted credit asset in asset
  // order, and returns the scenario P&L summed in ascending asset order from
  // +0.0.
  double Revalue(const RatingCode* newRatings, const ScenarioFactors& factors, RandomSource& source,
                 double* assetPnl) const;

  // Writes the new spreads of a scenario (credit assets of active issuers
  // only; other entries are left alone).
  void WriteNewSpreads(const RatingCode* newRatings, double spreadMultiplier, double* assetNewSpread) const;

 private:
  std::int32_t M_ = 0;
  AssetRule* rule_ = nullptr;
  std::int32_t* issuer_ = nullptr;
  double* value_ = nullptr;
  double* spread_ = nullptr;
  double* duration_ = nullptr;
  double* face_ = nullptr;
  double* twiceRecoveryMean_ = nullptr;
  double* gradeSpread_ = nullptr;  // M rows of kGradeSpreadStride
};

}  // namespace creditsim
