// The migration check: probabilities read back from the thresholds, and the
// realised frequencies of the migration stage agreeing with them.
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <unistd.h>

#include "portfolio/load_portfolio.hpp"
#include "portfolio/migration_table.hpp"
#include "report/migration_check.hpp"
#include "support/small_portfolio.hpp"

namespace creditsim::cli {
namespace {

TEST(MigrationCheck, ThresholdsGiveBackTheTransitionProbabilities) {
  std::vector<TransitionRow> rows(7);
  for (int r = 0; r < 7; ++r) {
    for (int k = 0; k < 8; ++k) rows[r][k] = (k == r ? 0.8 : 0.2 / 7);
  }
  const std::vector<double> thresholds = [&] {
    const auto t = ThresholdsFromTransition(rows);
    return std::vector<double>(t.begin(), t.end());
  }();
  const GradeMatrix back = ProbabilitiesFromThresholds(thresholds);
  for (int r = 0; r < 7; ++r) {
    for (int k = 0; k < 8; ++k) EXPECT_NEAR(back[r][k], rows[r][k], 1e-15) << r << " " << k;
  }
}

TEST(MigrationCheck, RealisedFrequenciesMatchTheInputMatrix) {
  const auto dir = std::filesystem::temp_directory_path() / ("creditsim-migration-" + std::to_string(::getpid()));
  testing::SmallPortfolio().WriteTo(dir);
  const Portfolio portfolio = LoadPortfolio(dir.string());
  std::filesystem::remove_all(dir);
  const SimulationInputs inputs = BuildSimulationInputs(portfolio, 1, 1);
  const MigrationCheck check = CheckMigration(inputs, 3, 20000);
  // One BBB and one BB issuer; the inactive one is not counted.
  EXPECT_EQ(check.issuerYears[3], 20000);
  EXPECT_EQ(check.issuerYears[4], 20000);
  EXPECT_EQ(check.issuerYears[0] + check.issuerYears[1] + check.issuerYears[2] + check.issuerYears[5] +
                check.issuerYears[6],
            0);
  for (int r : {3, 4}) {
    for (int k = 0; k < 8; ++k) {
      const double p = check.expected[r][k];
      const double tolerance = 5 * std::sqrt(p * (1 - p) / 20000) + 1e-4;  // 15-bit draws: coarse tails
      EXPECT_NEAR(check.realised[r][k], p, tolerance) << r << " " << k;
    }
  }
}

}  // namespace
}  // namespace creditsim::cli
