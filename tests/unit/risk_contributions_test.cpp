// Per-asset figures from the tail store: ES contributions and marginal VaR
// on a hand-made store, a tail too small for a level, and on a real run the
// contributions adding up to the portfolio ES.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <limits>
#include <unistd.h>

#include "portfolio/load_portfolio.hpp"
#include "portfolio_simulation.hpp"
#include "report/contributions.hpp"
#include "report/risk_measures.hpp"
#include "support/small_portfolio.hpp"

namespace creditsim::cli {
namespace {

constexpr double kEmpty = std::numeric_limits<double>::infinity();

// Three slots, two assets; the third slot of asset 0's rest column is empty.
struct HandMadeTail {
  std::vector<double> pnl = {-10, -6, -3};
  std::vector<double> assetPnl = {-7, -3, -1, -5, -2, -1};
  std::vector<double> restPnl = {-8, -7, -5, -4, kEmpty, -1};
  TailView View() const { return {3, 2, pnl, assetPnl, restPnl}; }
};

TEST(RiskContributions, EsSharesAndMarginalVarFromTheStore) {
  const HandMadeTail tail;
  const LevelContributions level = ComputeContributions(tail.View(), 20, 9000, 6);  // m = 2
  ASSERT_TRUE(level.available);
  EXPECT_EQ(level.expectedShortfall, (std::vector<double>{4, 4}));
  EXPECT_EQ(level.expectedShortfallTotal, 8);  // = (10 + 6) / 2
  EXPECT_EQ(level.marginalVar[0], 1.0);        // VaR 6 less VaR without it, 5
  EXPECT_EQ(level.marginalVar[1], 2.0);
}

TEST(RiskContributions, ATailTooSmallForTheLevelGivesNoFigures) {
  HandMadeTail tail;
  EXPECT_FALSE(ComputeContributions(tail.View(), 20, 8000, 0).available);  // needs 4 slots, has 3
  const LevelContributions three = ComputeContributions(tail.View(), 20, 8500, 0);  // needs 3
  EXPECT_TRUE(three.available);
  EXPECT_FALSE(three.marginalVar[0]);  // asset 0's rest column holds only 2
  EXPECT_TRUE(three.marginalVar[1]);
  tail.pnl[2] = kEmpty;  // the run filled only 2 slots
  EXPECT_EQ(FilledSlots(tail.pnl), 2);
  EXPECT_FALSE(ComputeContributions(tail.View(), 20, 8500, 0).available);
}

TEST(RiskContributions, OnARealRunTheSharesAddUpToTheEs) {
  const auto dir = std::filesystem::temp_directory_path() / ("creditsim-shares-" + std::to_string(::getpid()));
  testing::SmallPortfolio().WriteTo(dir);
  const Portfolio portfolio = LoadPortfolio(dir.string());
  std::filesystem::remove_all(dir);
  const SimulationInputs inputs = BuildSimulationInputs(portfolio, 2000, 100);
  SimulationOptions options;
  options.seed = 11;
  const SimulationResults results = SimulatePortfolio(inputs, options);
  std::vector<double> sorted = results.scenarioPnl;
  std::sort(sorted.begin(), sorted.end());
  // The store holds exactly the lowest scenario values.
  ASSERT_EQ(FilledSlots(results.tailPnl), 100);
  EXPECT_TRUE(std::equal(results.tailPnl.begin(), results.tailPnl.end(), sorted.begin()));
  const TailView tail{100, inputs.assetCount, results.tailPnl, results.tailAssetPnl, results.tailRestPnl};
  for (int level : kConfidenceLevels) {
    const LevelRisk risk = ComputeLevelRisk(sorted, level);
    const LevelContributions shares = ComputeContributions(tail, 2000, level, risk.valueAtRisk);
    ASSERT_TRUE(shares.available) << level;
    EXPECT_NEAR(shares.expectedShortfallTotal, risk.expectedShortfall, 1e-9 * std::fabs(risk.expectedShortfall)) << level;
  }
}

}  // namespace
}  // namespace creditsim::cli
