// Arithmetic edges of the scenario stages: the threshold rule, the spread
// multiplier, kind classes, floors and caps, and the bounded insertion of
// the tail store.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "simulation/migrate_issuers.hpp"
#include "simulation/revalue_assets.hpp"
#include "simulation/tail_store.hpp"
#include "support/bit_equal.hpp"

namespace creditsim {
namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

TEST(MigrationRule, FirstThresholdStrictlyBelowThePercentile) {
  // Grade 2 thresholds (k = 1..7); the others are never consulted.
  double thresholds[49];
  std::fill(std::begin(thresholds), std::end(thresholds), 99.0);
  const double row[7] = {0.9, 0.8, 0.6, 0.4, 0.2, 0.1, 0.05};
  for (int k = 1; k <= 7; ++k) thresholds[(k - 1) * 7 + (2 - 1)] = row[k - 1];
  struct Case {
    RatingCode current;
    double percentile;
    RatingCode expected;
  } cases[] = {
      {2, 0.95, 1}, {2, 0.9, 2} /* a tie goes to the worse grade */, {2, 0.5, 4},
      {2, 0.05, 8} /* a tie at the last threshold defaults */, {2, 0.01, 8},
      {2, kNaN, 8} /* NaN passes no threshold */, {0, 0.99, 0} /* inactive */,
  };
  for (const auto& c : cases) {
    EXPECT_EQ(NewRating(thresholds, c.current, c.percentile), c.expected) << c.percentile;
  }
  // Thresholds that are not monotone are applied by the same first match.
  const double bumpy[7] = {0.9, 0.2, 0.8, 0.4, 0.2, 0.1, 0.05};
  for (int k = 1; k <= 7; ++k) thresholds[(k - 1) * 7 + 1] = bumpy[k - 1];
  EXPECT_EQ(NewRating(thresholds, 2, 0.5), 2);
}

TEST(SystematicFactors, SpreadMultiplier) {
  EXPECT_EQ(SpreadMultiplierOf(0.0), 1.0);
  EXPECT_EQ(SpreadMultiplierOf(-0.0), 1.0);
  EXPECT_EQ(SpreadMultiplierOf(1.0), 2.0);
  EXPECT_EQ(SpreadMultiplierOf(-1.0), 0.5);
  EXPECT_TRUE(std::isnan(SpreadMultiplierOf(kNaN)));
}

TEST(Revaluation, RepricingAndDefaultArithmetic) {
  EXPECT_EQ(RepricingPnl(300, 100, 5, 100), -10.0);
  EXPECT_EQ(RepricingPnl(600, 100, 30, 100), -100.0);  // -150 floored at the whole value
  EXPECT_EQ(RepricingPnl(50, 100, 5, 100), 2.5);       // a tightening gains, uncapped
  EXPECT_TRUE(std::isnan(RepricingPnl(kNaN, 100, 5, 100)));
  EXPECT_EQ(DefaultPnl(0.0, 100, 80), -80.0);
  EXPECT_EQ(DefaultPnl(0.9, 100, 80), 0.0);  // recovery above value is capped at no gain
  EXPECT_EQ(InterpolatedSpread(100, 200, 0.0), 100.0);
  EXPECT_EQ(InterpolatedSpread(100, 100, 7.5), 100.0);
}

TEST(Revaluation, KindClasses) {
  struct Case {
    AssetKind kind;
    bool market;
    int offset;
    bool meanB;
  } cases[] = {{-3, false, 0, false}, {7, false, 0, false},  {8, false, 8, false},   {15, false, 8, false},
               {16, false, 16, false}, {21, false, 16, false}, {22, false, 16, true}, {23, false, 16, true},
               {24, false, 24, true},  {32, false, 24, true},  {33, true, 0, false},  {34, true, 0, false},
               {35, false, 24, true},  {32767, false, 24, true}};
  for (const auto& c : cases) {
    EXPECT_EQ(IsMarketFactorAsset(c.kind), c.market) << c.kind;
    if (c.market) continue;
    EXPECT_EQ(SpreadClassOffset(c.kind), c.offset) << c.kind;
    EXPECT_EQ(UsesRecoveryMeanB(c.kind), c.meanB) << c.kind;
  }
}

std::vector<double> Insert(std::vector<double> slots, double v) {
  InsertIntoTail(v, slots.data(), static_cast<int>(slots.size()));
  return slots;
}

TEST(TailStore, BoundedInsertion) {
  EXPECT_TRUE(testing::BitEqual(Insert({-5, -3, -3}, -3), {-5, -3, -3}));
  EXPECT_TRUE(testing::BitEqual(Insert({-5, -3, -1}, -4), {-5, -4, -3}));
  EXPECT_TRUE(testing::BitEqual(Insert({-5, -3, -1}, 0), {-5, -3, -1}));   // above the top: unchanged
  EXPECT_TRUE(testing::BitEqual(Insert({-5, -3, -1}, kNaN), {kNaN, -5, -3}));  // NaN goes to slot 0
  EXPECT_TRUE(testing::BitEqual(Insert({-5, kNaN, -1}, -2), {-5, -2, kNaN}));  // a NaN slot never stops the scan
  EXPECT_TRUE(testing::BitEqual(Insert({-5}, -5), {-5}));
}

TEST(TailStore, TiesPlaceTheNewScenarioFirstAndDropTheOldest) {
  // Main store with K = 3 and one asset: slots are told apart by asset P&L.
  std::vector<double> tailPnl{-5, -3, -3}, tailAssetPnl{50, 31, 32}, tailMultiplier{1, 2, 3};
  std::vector<RatingCode> tailRating{1, 2, 3}, newRating{4};
  std::vector<double> scenarioPnl{-3}, assetPnl{33}, restPnl{0}, tailRest{9, 9, 9};
  SimulationRun run;
  run.issuerCount = 1;
  run.assetCount = 1;
  run.tailSize = 3;
  run.tailPnl = tailPnl.data();
  run.tailAssetPnl = tailAssetPnl.data();
  run.tailMultiplier = tailMultiplier.data();
  run.tailRating = tailRating.data();
  run.issuerNewRating = newRating.data();
  run.scenarioPnl = scenarioPnl.data();
  run.assetPnl = assetPnl.data();
  run.assetRestPnl = restPnl.data();
  run.tailRestPnl = tailRest.data();
  UpdateTailStore(run, 0, 4.0);
  EXPECT_EQ(tailPnl, (std::vector<double>{-5, -3, -3}));
  EXPECT_EQ(tailAssetPnl, (std::vector<double>{50, 33, 31}));
  EXPECT_EQ(tailMultiplier, (std::vector<double>{1, 4, 2}));
  EXPECT_EQ(tailRating, (std::vector<RatingCode>{1, 4, 2}));
  // Loss scenario: rest of portfolio -3 - 33 = -36 enters the asset's column.
  EXPECT_EQ(restPnl, std::vector<double>{-36});
  EXPECT_EQ(tailRest, (std::vector<double>{-36, 9, 9}));

  // L = 0 and a NaN L skip the rest-of-portfolio step; K <= 0 skips the store.
  for (double L : {0.0, -0.0, kNaN}) {
    scenarioPnl[0] = L;
    UpdateTailStore(run, 0, 1.0);
    EXPECT_EQ(restPnl, std::vector<double>{-36}) << L;
  }
  run.tailSize = 0;
  run.tailPnl = nullptr;  // K <= 0: the tail arrays must not even be read
  run.tailRestPnl = nullptr;
  scenarioPnl[0] = -1;
  UpdateTailStore(run, 0, 1.0);
  EXPECT_EQ(restPnl, std::vector<double>{-34});  // still written
}

}  // namespace
}  // namespace creditsim
