// Asset revaluation of the fast engine, with everything that is fixed for a
// run worked out once.
//
// Per asset the rule (market factor 1 or 2, credit asset of an inactive
// issuer, credit asset) never changes during a run, and neither does the
// interpolated spread of each grade: only the new ratings and the three
// systematic values vary by scenario. The plan keeps these per-run values
// in padded columns for the repricing kernel (the rule in the issuer index,
// the spreads in planes by grade change), and lists every issuer's credit
// assets so that a default finds its assets without a scan.
//
// A scenario then runs in three passes over the caller's asset P&L: the
// kernel prices every asset as if no issuer had defaulted; the assets of
// defaulted issuers are priced again, in ascending asset order, each with its
// recovery draw; and one strict chain of additions sums the scenario in asset
// order.
#pragma once

#include <cstdint>

#include "numerics/random_source.hpp"
#include "simulation/asset_repricing_kernel.hpp"
#include "simulation/revalue_assets.hpp"
#include "simulation/simulation_run.hpp"
#include "simulation/working_memory.hpp"

namespace creditsim {

static_assert(kSpreadPlanes == 2 * kGradeCount - 1, "one spread plane per possible grade change");

class AssetRevaluationPlan {
 public:
  // With `sharedColumns` (a built plan of a run with the same inputs, which
  // must outlive this one) the per-run columns are read from it, and only
  // the per-scenario buffers are taken from `memory`: runs side by side
  // then keep one copy of the columns in the cache instead of one each.
  void Allocate(WorkingMemory& memory, std::int32_t M, std::int32_t N,
                const AssetRevaluationPlan* sharedColumns = nullptr);
  void Build(const SimulationRun& run);

  // Revalues every asset for the given new ratings and systematic values:
  // writes assetPnl, draws one recovery per defaulted credit asset in asset
  // order, and returns the scenario P&L summed in ascending asset order from
  // +0.0.
  double Revalue(const RatingCode* newRatings, const ScenarioFactors& factors, RandomSource& source,
                 double* assetPnl);
  // Revalue without the sum, for callers that sum several scenarios side by
  // side (SumsInOrder).
  void PriceAssets(const RatingCode* newRatings, const ScenarioFactors& factors, RandomSource& source,
                   double* assetPnl);

  // Generator values the scenario's revaluation takes: one per credit asset
  // of a defaulted issuer.
  std::int64_t DefaultDraws(const RatingCode* newRatings) const;

  // Writes the new spreads of a scenario (credit assets of active issuers
  // only; other entries are left alone).
  void WriteNewSpreads(const RatingCode* newRatings, double spreadMultiplier, double* assetNewSpread) const;

 private:
  // Marks the credit assets of defaulted issuers in defaultBits_ and points
  // every issuer at the spread plane of its grade change; returns whether any
  // asset defaulted.
  bool MarkDefaultedAssets(const RatingCode* newRatings);
  void AllocateColumns(WorkingMemory& memory);
  void BuildColumns(const SimulationRun& run);
  // Offset of the spread plane of a grade change.
  std::int64_t PlaneStart(std::int64_t change) const;

  std::int32_t M_ = 0, N_ = 0;
  bool sharesColumns_ = false;
  std::size_t padded_ = 0;
  // Kernel columns (padded).
  std::int32_t* issuer_ = nullptr;  // issuer position, or N + kSpare* for non-credit assets
  double* spreadPlanes_ = nullptr;  // kSpreadPlanes planes of padded_ assets
  double* value_ = nullptr;
  double* spread_ = nullptr;
  double* duration_ = nullptr;
  // Default pricing.
  double* face_ = nullptr;
  double* twiceRecoveryMean_ = nullptr;
  std::int32_t* creditAssetsStart_ = nullptr;  // per issuer, into creditAssets_ (N + 1)
  std::int32_t* creditAssets_ = nullptr;
  RatingCode* currentGrade_ = nullptr;  // per issuer (kInactive for inactive issuers)
  // Per scenario.
  std::int64_t* planeStart_ = nullptr;  // N + kSpareIssuers; spare issuers stay at the unchanged plane
  std::uint64_t* defaultBits_ = nullptr;  // one bit per asset: visited in ascending order
};

}  // namespace creditsim
