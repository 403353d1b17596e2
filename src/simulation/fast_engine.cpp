// The fast engine: the reference model, scenario by scenario, with the work
// that does not change the bits taken out.
//
// - Normal draws come from tables filled with the exact InverseNormal.
// - The correlated shocks use the packed-panel vector kernel, whose row sums
//   keep the reference's order.
// - Revaluation reads per-run precomputed spreads and prices all assets in
//   one vector pass, then the defaulted ones in order (AssetRevaluationPlan).
// - The main tail store keeps its slot order in an index (TailIndex), the
//   rest-of-portfolio tails keep each asset's column contiguous and find the
//   few insertions with a vector pass (RestOfPortfolioStore); both restore
//   the host's layout once at the end.
// - Outputs that the next scenario overwrites and nothing reads in between
//   (issuerShock, issuerPercentile, issuerNewRating, assetNewSpread) are
//   written only for the last scenario run, in Complete.
// - New ratings compare the correlated shock with the cut points of the
//   thresholds (RatingCuts); NormalCdf is evaluated only near a cut and for
//   the percentiles of the last scenario. Runs too short to repay finding
//   the cuts evaluate NormalCdf for every active issuer instead.
// All working memory is one block, allocated when the engine is made.
#include "simulation/fast_engine.hpp"

#include <algorithm>
#include <atomic>
#include <cstddef>
#include <optional>

#include "numerics/normal_distribution.hpp"
#include "numerics/normal_draw_table.hpp"
#include "simulation/asset_revaluation_plan.hpp"
#include "simulation/migrate_issuers.hpp"
#include "simulation/rating_cuts.hpp"
#include "simulation/rest_of_portfolio_store.hpp"
#include "simulation/shock_correlation.hpp"
#include "simulation/tail_index.hpp"
#include "simulation/working_memory.hpp"

namespace creditsim {
namespace {

// Process-wide, so that a caller can read it after engines ran on worker
// threads (sharded runs).
std::atomic<std::size_t> lastWorkingBytes{0};

// Finding and checking the 49 cut points costs about as many NormalCdf
// evaluations as this; a run that would evaluate fewer rates its issuers
// with NormalCdf directly.
constexpr std::int64_t kCutPointCost = 49 * 250;

// The cut points, when the run is long enough to repay them.
std::optional<RatingCuts> CutsWorthBuilding(const SimulationRun& run) {
  std::int64_t active = 0;
  for (std::int32_t i = 0; i < run.issuerCount; ++i) active += run.issuerRating[i] != kInactive;
  if (active * static_cast<std::int64_t>(run.scenarioCount) < kCutPointCost) return std::nullopt;
  return RatingCuts(run.migrationThreshold);
}

class FastEngine final : public ScenarioEngine {
 public:
  FastEngine(const SimulationRun& run, RandomSource& source)
      : run_(run),
        source_(source),
        issuerTable_(IssuerShockTable()),
        systematicTable_(SystematicDrawTable()),
        ratingCuts_(CutsWorthBuilding(run)) {
    WorkingMemory counting;
    Layout(counting);
    memory_ = WorkingMemory(counting.Used());
    Layout(memory_);
    lastWorkingBytes.store(memory_.Capacity(), std::memory_order_relaxed);

    PackFactorPanels(run_.factor, run_.issuerCount, panels_);
    for (std::int32_t i = 0; i < run_.issuerCount; ++i) {
      newRatings_[i] = run_.issuerRating[i] == kInactive ? kInactive : kDefault;
    }
    plan_.Build(run_);
    if (run_.tailSize >= 1) {
      tails_.Load(run_);
      restTails_.Load(run_);
    }
  }

  void RunScenarios(std::int32_t first, std::int32_t last) override {
    for (std::int32_t s = first; s < last; ++s) RunScenario(s);
    scenariosRun_ = scenariosRun_ || last > first;
  }

  void Complete() override {
    if (!scenariosRun_) return;
    const std::int32_t N = run_.issuerCount;
    std::copy_n(shocks_, N, run_.issuerShock);
    for (std::int32_t i = 0; i < N; ++i) run_.issuerPercentile[i] = NormalCdf(correlated_[i]);
    std::copy_n(newRatings_, N, run_.issuerNewRating);
    plan_.WriteNewSpreads(newRatings_, lastFactors_.spreadMultiplier, run_.assetNewSpread);
    if (run_.tailSize >= 1) {
      tails_.WriteBack(run_);
      restTails_.WriteBack(run_);
    }
  }

 private:
  void Layout(WorkingMemory& memory) {
    const std::int32_t N = run_.issuerCount;
    panels_ = memory.Take<double>(FactorPanelDoubles(N));
    shocks_ = memory.Take<double>(N);
    correlated_ = memory.Take<double>(N);
    newRatings_ = memory.Take<RatingCode>(N);
    plan_.Allocate(memory, run_.assetCount, N);
    tails_.Allocate(memory, run_.tailSize, run_.assetCount, N);
    restTails_.Allocate(memory, run_.tailSize, run_.assetCount);
  }

  void RunScenario(std::int32_t s) {
    MigrateIssuers();
    lastFactors_ = DrawFactors();
    const double L = plan_.Revalue(newRatings_, lastFactors_, source_, run_.assetPnl);
    run_.scenarioPnl[s] = L;
    if (run_.tailSize >= 1) tails_.Insert(run_, L, lastFactors_.spreadMultiplier, run_.assetPnl, newRatings_);
    if (L < 0) restTails_.Merge(run_, L, run_.assetPnl);
  }

  void MigrateIssuers() {
    const std::int32_t N = run_.issuerCount;
    for (std::int32_t i = 0; i < N; ++i) shocks_[i] = issuerTable_.Draw(source_);
    const double* shocks = shocks_;
    double* correlated = correlated_;
    CorrelateShocks(panels_, N, &shocks, &correlated, 1);
    for (std::int32_t i = 0; i < N; ++i) {
      const RatingCode current = run_.issuerRating[i];
      if (current == kInactive) continue;
      newRatings_[i] = ratingCuts_ ? ratingCuts_->NewRating(current, correlated_[i])
                                   : NewRating(run_.migrationThreshold, current, NormalCdf(correlated_[i]));
    }
  }

  ScenarioFactors DrawFactors() {
    ScenarioFactors factors;
    const double spreadShock = systematicTable_.Draw(source_) * run_.spreadVolatility;
    factors.spreadMultiplier = SpreadMultiplierOf(spreadShock);
    factors.market1Move = systematicTable_.Draw(source_) * run_.market1Volatility;
    factors.market2Move = systematicTable_.Draw(source_) * run_.market2Volatility;
    return factors;
  }

  const SimulationRun& run_;
  RandomSource& source_;
  const NormalDrawTable& issuerTable_;
  const NormalDrawTable& systematicTable_;
  const std::optional<RatingCuts> ratingCuts_;
  WorkingMemory memory_;
  double* panels_ = nullptr;
  double* shocks_ = nullptr;
  double* correlated_ = nullptr;
  RatingCode* newRatings_ = nullptr;
  AssetRevaluationPlan plan_;
  TailIndex tails_;
  RestOfPortfolioStore restTails_;
  ScenarioFactors lastFactors_;
  bool scenariosRun_ = false;
};

}  // namespace

std::unique_ptr<ScenarioEngine> MakeFastEngine(const SimulationRun& run, RandomSource& source) {
  return std::make_unique<FastEngine>(run, source);
}

std::size_t LastFastEngineWorkingBytes() { return lastWorkingBytes.load(std::memory_order_relaxed); }

}  // namespace creditsim
