// The normal functions: region boundaries, reference values, exact values,
// and the round trip over every 15-bit uniform the generator can produce.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "numerics/normal_distribution.hpp"

namespace creditsim {
namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

TEST(NormalDistribution, ExactValuesAtTheCentre) {
  EXPECT_EQ(InverseNormal(0.5), 0.0);
  EXPECT_EQ(NormalCdf(0.0), 0.5);
  EXPECT_EQ(NormalCdf(-0.0), 0.5);
  EXPECT_EQ(NormalCdf(10.0), 1.0);
  EXPECT_EQ(NormalCdf(-39.0), 0.0);
  EXPECT_EQ(NormalCdf(-INFINITY), 0.0);
  EXPECT_EQ(NormalCdf(INFINITY), 1.0);
}

struct ReferenceValue {
  const char* name;
  double (*function)(double);
  double argument;
  double expected;
  double tolerance;
};

TEST(NormalDistribution, ReferenceValues) {
  const ReferenceValue cases[] = {
      {"InverseNormal(0.00001)", InverseNormal, 0.00001, -4.26489079532, 1e-11},
      {"InverseNormal(0.975)", InverseNormal, 0.975, 1.95996398612, 1e-11},
      {"InverseNormal(32767/32768)", InverseNormal, 32767.0 / 32768.0, 4.00877259307, 1e-11},
      {"InverseNormal(0.000001)", InverseNormal, 0.000001, -4.7534, 1e-4},
      {"NormalCdf(0.5)", NormalCdf, 0.5, 0.691462461274, 1e-12},
      {"NormalCdf(1)", NormalCdf, 1.0, 0.841344746208, 1e-12},
      {"NormalCdf(-6)", NormalCdf, -6.0, 9.86587644194e-10, 1e-20},
      {"NormalCdf(-10)", NormalCdf, -10.0, 7.6e-24, 0.1e-24},
  };
  for (const auto& c : cases) {
    EXPECT_NEAR(c.function(c.argument), c.expected, c.tolerance) << c.name;
  }
}

// The formulas written out once more, to tell which region a value took.
double CentralInverse(double p) {
  const double q = p - 0.5;
  const double r = q * q;
  double num = -39.69683028665376;
  for (double k : {220.9460984245205, -275.9285104469687, 138.357751867269, -30.66479806614716, 2.506628277459239})
    num = num * r + k;
  double den = -54.47609879822406;
  for (double k : {161.5858368580409, -155.6989798598866, 66.80131188771972, -13.28068155288572}) den = den * r + k;
  den = den * r + 1.0;
  return (num * q) / den;
}

double LowerTailInverse(double p) {
  const double q = std::sqrt(std::log(p) * -2.0);
  double num = -0.007784894002430293;
  for (double k : {-0.3223964580411365, -2.400758277161838, -2.549732539343734, 4.374664141464968, 2.938163982698783})
    num = num * q + k;
  double den = 0.007784695709041462;
  for (double k : {0.3224671290700398, 2.445134137142996, 3.754408661907416}) den = den * q + k;
  den = den * q + 1.0;
  return num / den;
}

double CentralCdf(double x) {
  const double s = x * x;
  double num = 0.0116111066365377;
  for (double k : {0.3951404679838207, 28.46603853776254, 188.742618842651, 3209.377589138469}) num = num * s + k;
  double den = 0.1767766952966369;
  for (double k : {8.34431643857962, 172.5514762600375, 1813.893686502485, 8044.716608901563}) den = den * s + k;
  return 0.5 + (x * num) / den;
}

TEST(NormalDistribution, InverseNormalRegionBoundaries) {
  const double low = 0.02425, high = 0.97575;
  EXPECT_EQ(InverseNormal(low), CentralInverse(low));
  EXPECT_EQ(InverseNormal(high), CentralInverse(high));
  const double belowLow = std::nextafter(low, 0.0);
  const double aboveHigh = std::nextafter(high, 1.0);
  EXPECT_EQ(InverseNormal(belowLow), LowerTailInverse(belowLow));
  EXPECT_NE(InverseNormal(belowLow), CentralInverse(belowLow));
  EXPECT_EQ(InverseNormal(aboveHigh), -LowerTailInverse(1.0 - aboveHigh));
}

TEST(NormalDistribution, NormalCdfRegionBoundaries) {
  const double central = 0.66291260625, middle = 5.65685424;
  EXPECT_EQ(NormalCdf(central), CentralCdf(central));
  EXPECT_EQ(NormalCdf(-central), CentralCdf(-central));
  // Just above the bound the middle formula gives about 1.7e-10 more.
  EXPECT_NEAR(NormalCdf(std::nextafter(central, 1.0)) - NormalCdf(central), 1.7e-10, 0.2e-10);
  // The middle and far formulas join closely at the middle bound.
  EXPECT_NEAR(NormalCdf(-middle) / NormalCdf(-std::nextafter(middle, 10.0)), 1.0, 1e-6);
}

TEST(NormalDistribution, NaNPropagates) {
  EXPECT_TRUE(std::isnan(InverseNormal(kNaN)));
  EXPECT_TRUE(std::isnan(NormalCdf(kNaN)));
  EXPECT_TRUE(std::isnan(InverseNormal(0.0)));
  EXPECT_TRUE(std::isnan(InverseNormal(1.0)));
  EXPECT_TRUE(std::isnan(InverseNormal(-0.5)));
}

TEST(NormalDistribution, RoundTripOverEveryUniform) {
  double worst = 0;
  for (int k = 1; k <= 32767; ++k) {
    const double p = k / 32768.0;
    worst = std::max(worst, std::fabs(NormalCdf(InverseNormal(p)) - p));
  }
  EXPECT_LT(worst, 5e-10);
}

TEST(NormalDistribution, SymmetryOfTheCdf) {
  for (double x : {0.1, 0.66, 1.0, 2.5, 5.0, 7.0}) {
    EXPECT_NEAR(NormalCdf(x) + NormalCdf(-x), 1.0, 1e-15) << x;
  }
}

}  // namespace
}  // namespace creditsim
