// The risk figures on small P&L vectors whose answers can be worked out by
// hand: tail counts, VaR and ES with ties, the Monte Carlo intervals, the
// moments and the convergence curve.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <vector>

#include "report/risk_measures.hpp"

namespace creditsim::cli {
namespace {

std::vector<double> Sorted(std::vector<double> pnl) {
  std::sort(pnl.begin(), pnl.end());
  return pnl;
}

TEST(RiskMeasures, TailCountIsTheCeilingOfTheTailShare) {
  struct Case {
    std::int64_t scenarios;
    int level;
    std::int64_t count;
  } cases[] = {{1000, 9900, 10}, {1000, 9990, 1}, {999, 9990, 1}, {1001, 9900, 11},
               {10, 9990, 1},    {20000, 9500, 1000}, {20000, 9990, 20}, {1, 9500, 1}};
  for (const Case& c : cases) EXPECT_EQ(TailCount(c.scenarios, c.level), c.count) << c.scenarios << " " << c.level;
}

TEST(RiskMeasures, VarAndEsAreOrderStatisticsOfTheLosses) {
  std::vector<double> pnl;
  for (int i = 1; i <= 20; ++i) pnl.push_back(-((i * 7) % 20 + 1.0));  // -1 ... -20, shuffled
  const auto sorted = Sorted(pnl);
  struct Case {
    int level;
    double var, es;
  } cases[] = {{9500, 20, 20}, {9000, 19, 19.5}, {8000, 17, 18.5}, {5000, 11, 15.5}};
  for (const Case& c : cases) {
    const LevelRisk risk = ComputeLevelRisk(sorted, c.level);
    EXPECT_EQ(risk.valueAtRisk, c.var) << c.level;
    EXPECT_EQ(risk.expectedShortfall, c.es) << c.level;
  }
}

TEST(RiskMeasures, TiesNeedNoSpecialCase) {
  const auto sorted = Sorted({0, -5, 2, -5, 3, -1, -5, 4, 1, 0});
  EXPECT_EQ(ComputeLevelRisk(sorted, 8000).valueAtRisk, 5);  // m = 2
  EXPECT_EQ(ComputeLevelRisk(sorted, 8000).expectedShortfall, 5);
  EXPECT_EQ(ComputeLevelRisk(sorted, 6000).valueAtRisk, 1);  // m = 4
  EXPECT_EQ(ComputeLevelRisk(sorted, 6000).expectedShortfall, 4);
}

TEST(RiskMeasures, VarIntervalFromBinomialOrderStatistics) {
  std::vector<double> sorted;
  for (int k = 1; k <= 10000; ++k) sorted.push_back(-(10001.0 - k));  // loss of rank k is 10001 - k
  const LevelRisk risk = ComputeLevelRisk(sorted, 9900);
  // Dp = 100, 1.96 sqrt(99) = 19.50: ranks floor(80.50) = 80 and ceil(119.50) = 120.
  EXPECT_EQ(risk.valueAtRisk, 9901);
  EXPECT_EQ(risk.valueAtRiskLow, 10001 - 120);
  EXPECT_EQ(risk.valueAtRiskHigh, 10001 - 80);
}

TEST(RiskMeasures, EsStandardErrorFromTheTailSpreadAndGap) {
  std::vector<double> sorted;
  for (int i = 20; i >= 1; --i) sorted.push_back(-i);
  const LevelRisk risk = ComputeLevelRisk(sorted, 8000);  // tail losses 20, 19, 18, 17
  const double tailVariance = 5.0 / 3.0, gap = 18.5 - 17;
  EXPECT_NEAR(risk.expectedShortfallStandardError, std::sqrt((tailVariance + 0.8 * gap * gap) / 4), 1e-15);
  EXPECT_EQ(ComputeLevelRisk(sorted, 9500).expectedShortfallStandardError, 0);  // one scenario, at VaR
}

TEST(RiskMeasures, MomentsOfThePnl) {
  const PnlMoments moments = ComputeMoments(std::vector<double>{1, 2, 3, 4});
  EXPECT_EQ(moments.mean, 2.5);
  EXPECT_EQ(moments.standardDeviation, std::sqrt(5.0 / 3.0));
  EXPECT_EQ(moments.worst, 1);
  EXPECT_EQ(moments.best, 4);
  EXPECT_EQ(ComputeMoments(std::vector<double>{-3}).standardDeviation, 0);
}

TEST(RiskMeasures, ConvergenceUsesPrefixesOfTheScenarios) {
  std::vector<double> pnl(100);
  for (int s = 0; s < 100; ++s) pnl[s] = s < 50 ? -s : -1000 - s;  // later scenarios are worse
  const auto curve = VarConvergence(pnl, 9000, 4);
  ASSERT_EQ(curve.size(), 4u);
  EXPECT_EQ(curve[0].scenarios, 25);
  EXPECT_EQ(curve[0].valueAtRisk, 22);  // 3rd worst of 0 ... 24
  EXPECT_EQ(curve[1].valueAtRisk, 45);  // 5th worst of 0 ... 49
  EXPECT_EQ(curve[3].scenarios, 100);
  EXPECT_EQ(curve[3].valueAtRisk, 1090);  // 10th worst of all
}

}  // namespace
}  // namespace creditsim::cli
