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
#include "simulation/rating_windows.hpp"
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

// Tables mixed from the stress thresholds (mostly out of order), and a
// migration table whose thresholds fall with the grade, as real ones do.
std::vector<std::vector<double>> TestTables() {
  const std::vector<double> stress = StressThresholds();
  std::vector<std::vector<double>> tables;
  for (std::size_t start = 0; start < stress.size(); start += 13) {
    tables.emplace_back(49);
    for (int i = 0; i < 49; ++i) tables.back()[i] = stress[(start + i * 7) % stress.size()];
  }
  tables.push_back(cli::MakeSyntheticPortfolio(cli::SyntheticPortfolioSize("S"), 1).Doubles("migrationThreshold"));
  return tables;
}

// Shocks of the draw table, NaN, the infinities and shocks at every window.
std::vector<double> TestShocks(const RatingCuts& cuts) {
  std::vector<double> shocks = {kNaN, kInf, -kInf};
  for (int k = 0; k < NormalDrawTable::kSize; k += 7) shocks.push_back(IssuerShockTable()[k]);
  for (int r = 1; r <= 7; ++r) {
    for (int k = 1; k <= 7; ++k) {
      const auto near = ShocksNear(cuts.CutOf(r, k));
      for (std::size_t i = 0; i < near.size(); i += 11) shocks.push_back(near[i]);
    }
  }
  return shocks;
}

TEST(RatingCuts, NewRatingMatchesTheRuleOnEveryGrade) {
  for (const std::vector<double>& table : TestTables()) {
    const double* thresholds = table.data();
    const RatingCuts cuts(thresholds);
    for (int r = 1; r <= 7; ++r) {
      for (double z : TestShocks(cuts)) {
        ASSERT_EQ(cuts.NewRating(static_cast<RatingCode>(r), z),
                  NewRating(thresholds, static_cast<RatingCode>(r), NormalCdf(z)))
            << "grade " << r << " z " << z;
      }
    }
  }
}

// Rows of issuers of every grade (inactive ones too), each shock tried at
// every grade: the vector count with its fallback, and its scalar twin,
// must give the rule's grade to every issuer.
TEST(RatingCuts, RowsOfIssuersGetTheGradesOfTheRule) {
  for (const std::vector<double>& table : TestTables()) {
    const double* thresholds = table.data();
    const RatingCuts cuts(thresholds);
    std::vector<double> z;
    std::vector<RatingCode> rating;
    for (double shock : TestShocks(cuts)) {
      for (RatingCode r = 0; r <= 7; ++r) {
        z.push_back(shock);
        rating.push_back(r);
      }
    }
    z.push_back(0.5);  // a row that does not fill the last vector
    rating.push_back(3);
    const auto n = static_cast<std::int32_t>(z.size());
    std::vector<double> planes(RatingWindowDoubles(n));
    BuildRatingWindows(cuts, rating.data(), n, planes.data());
    std::vector<RatingCode> vector(z.size(), -1), scalar(z.size(), -1);
    std::vector<std::int32_t> listed(z.size());
    NewRatings(cuts, planes.data(), rating.data(), n, z.data(), vector.data(), listed.data());
    const std::int32_t count = RateByWindowsScalar(planes.data(), n, z.data(), scalar.data(), listed.data());
    for (std::int32_t k = 0; k < count; ++k) {
      const std::int32_t i = listed[k];
      scalar[i] = rating[i] == kInactive ? kInactive : cuts.NewRating(rating[i], z[i]);
    }
    for (std::int32_t i = 0; i < n; ++i) {
      const RatingCode rule = rating[i] == kInactive ? kInactive : NewRating(thresholds, rating[i], NormalCdf(z[i]));
      ASSERT_EQ(vector[i], rule) << "grade " << rating[i] << " z " << z[i];
      ASSERT_EQ(scalar[i], rule) << "grade " << rating[i] << " z " << z[i];
    }
  }
}

}  // namespace
}  // namespace creditsim
