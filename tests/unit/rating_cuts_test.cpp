// The cut points that replace NormalCdf in the rating rule: outside its
// guard window every cut must give the answer of the exact comparison, and
// the whole rule must give NewRating's grade.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

#include "numerics/normal_distribution.hpp"
#include "numerics/normal_draw_table.hpp"
#include "simulation/migrate_issuers.hpp"
#include "simulation/rating_cuts.hpp"
#include "synthetic_portfolio.hpp"

namespace creditsim {
namespace {

constexpr double kInf = std::numeric_limits<double>::infinity();
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kCentralBound = 0.66291260625;
constexpr double kMiddleBound = 5.65685424;

// Thresholds that stress the cuts: the edges of [0, 1], values NormalCdf
// takes exactly (at possible shocks, on both sides of its region bounds and
// inside the jump at the central bound), and those of the synthetic
// portfolios.
std::vector<double> StressThresholds() {
  std::vector<double> t = {0.0, -0.0, 0.5, 1.0, -1e-300, 1.5, kNaN, std::nextafter(1.0, 0.0), 4.9e-324, 1e-300,
                           0.02425, 0.97575};
  for (double bound : {kCentralBound, -kCentralBound, kMiddleBound, -kMiddleBound}) {
    double z = bound;
    for (int i = 0; i < 3; ++i) z = std::nextafter(z, -kInf);
    for (int i = 0; i < 7; ++i, z = std::nextafter(z, kInf)) t.push_back(NormalCdf(z));
  }
  t.push_back((NormalCdf(kCentralBound) + NormalCdf(std::nextafter(kCentralBound, kInf))) / 2);  // inside the jump
  for (int k : {0, 1, 2, 100, 5000, 16383, 16384, 16385, 30000, 32767}) t.push_back(NormalCdf(IssuerShockTable()[k]));
  for (const char* size : {"S"}) {
    cli::HostCase portfolio = cli::MakeSyntheticPortfolio(cli::SyntheticPortfolioSize(size), 1);
    for (double v : portfolio.Doubles("migrationThreshold")) t.push_back(v);
  }
  return t;
}

// Shocks to try against a cut: the doubles around its edges and its centre.
std::vector<double> ShocksNear(const RatingCuts::Cut& cut) {
  std::vector<double> z;
  for (double edge : {cut.lo, cut.hi, (cut.lo + cut.hi) / 2}) {
    if (!std::isfinite(edge)) continue;
    double x = edge;
    for (int i = 0; i < 300; ++i) x = std::nextafter(x, -kInf);
    for (int i = 0; i < 600; ++i, x = std::nextafter(x, kInf)) z.push_back(x);
  }
  return z;
}

TEST(RatingCuts, OutsideItsWindowEveryCutGivesTheExactComparison) {
  std::vector<double> common = {kInf, -kInf, 0.0, -0.0, kCentralBound, -kCentralBound, kMiddleBound, -kMiddleBound};
  for (int k = 0; k < NormalDrawTable::kSize; ++k) common.push_back(IssuerShockTable()[k]);
  for (double threshold : StressThresholds()) {
    const RatingCuts::Cut cut = FindCut(threshold);
    if (threshold > 0 && threshold < 1) {
      EXPECT_LT(cut.hi - cut.lo, 1e-4) << "threshold " << threshold << ": the window must stay narrow";
    }
    std::vector<double> shocks = ShocksNear(cut);
    shocks.insert(shocks.end(), common.begin(), common.end());
    for (double z : shocks) {
      if (z >= cut.lo && z <= cut.hi) continue;  // evaluated exactly there
      const bool exact = threshold < NormalCdf(z);
      ASSERT_EQ(z > cut.hi, exact) << "threshold " << threshold << " z " << z << " window [" << cut.lo << ", "
                                   << cut.hi << "]";
    }
  }
}

TEST(RatingCuts, NewRatingMatchesTheRuleOnEveryGrade) {
  // Tables mixed from the stress thresholds (mostly out of order), and a
  // migration table whose thresholds fall with the grade, as real ones do.
  const std::vector<double> stress = StressThresholds();
  std::vector<std::vector<double>> tables;
  for (std::size_t start = 0; start < stress.size(); start += 13) {
    tables.emplace_back(49);
    for (int i = 0; i < 49; ++i) tables.back()[i] = stress[(start + i * 7) % stress.size()];
  }
  tables.push_back(cli::MakeSyntheticPortfolio(cli::SyntheticPortfolioSize("S"), 1).Doubles("migrationThreshold"));
  for (const std::vector<double>& table : tables) {
    const double* thresholds = table.data();
    const RatingCuts cuts(thresholds);
    std::vector<double> shocks = {kNaN, kInf, -kInf};
    for (int k = 0; k < NormalDrawTable::kSize; k += 7) shocks.push_back(IssuerShockTable()[k]);
    for (int r = 1; r <= 7; ++r) {
      for (int k = 1; k <= 7; ++k) {
        const auto near = ShocksNear(cuts.CutOf(r, k));
        for (std::size_t i = 0; i < near.size(); i += 11) shocks.push_back(near[i]);
      }
    }
    for (int r = 1; r <= 7; ++r) {
      for (double z : shocks) {
        ASSERT_EQ(cuts.NewRating(static_cast<RatingCode>(r), z),
                  NewRating(thresholds, static_cast<RatingCode>(r), NormalCdf(z)))
            << "grade " << r << " z " << z;
      }
    }
  }
}

}  // namespace
}  // namespace creditsim
