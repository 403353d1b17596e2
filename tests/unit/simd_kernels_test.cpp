// Each vector kernel against its scalar twin (and the correlation kernel
// against the plain row-by-row sum of the step-by-step engine), on inputs
// with NaN, infinities and signed zeros, at sizes around the vector and
// panel widths, on every instruction set this machine runs (the dispatch
// is pinned to each in turn).
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <random>
#include <vector>

#include "numerics/correlation_factor.hpp"
#include "simulation/asset_repricing_kernel.hpp"
#include "simulation/rest_of_portfolio_kernel.hpp"
#include "simulation/shock_correlation.hpp"
#include "support/bit_equal.hpp"

#if __has_include(<hwy/targets.h>)
#include <hwy/targets.h>
#define CREDITSIM_TEST_EVERY_TARGET 1
#endif

namespace creditsim {
namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInf = std::numeric_limits<double>::infinity();

class Values {
 public:
  explicit Values(unsigned seed) : rng_(seed) {}
  double Next(double specialShare = 0.02) {
    const double u = std::uniform_real_distribution<double>(0, 1)(rng_);
    if (u < specialShare) {
      const double specials[] = {kNaN, kInf, -kInf, 0.0, -0.0, 1e308, 4.9e-324};
      return specials[rng_() % std::size(specials)];
    }
    return std::uniform_real_distribution<double>(-3, 3)(rng_);
  }
  std::mt19937& Engine() { return rng_; }

 private:
  std::mt19937 rng_;
};

// Runs `check` once per instruction set the kernels were built for and the
// machine supports (once, with the default dispatch, without Highway).
template <class Check>
void OnEveryTarget(Check check) {
#if defined(CREDITSIM_TEST_EVERY_TARGET)
  for (std::int64_t target : hwy::SupportedAndGeneratedTargets()) {
    hwy::SetSupportedTargetsForTest(target);
    SCOPED_TRACE(hwy::TargetName(target));
    check();
  }
  hwy::SetSupportedTargetsForTest(0);
#else
  check();
#endif
}

// z[i] = +0.0, then + factor[i][j] * e[j] for j = i .. n-1.
std::vector<double> RowByRow(const std::vector<double>& factor, int n, const std::vector<double>& e) {
  std::vector<double> z(n);
  for (int i = 0; i < n; ++i) {
    double sum = 0;
    for (int j = i; j < n; ++j) {
      const double product = factor[static_cast<std::size_t>(i) * n + j] * e[j];
      sum = sum + product;
    }
    z[i] = sum;
  }
  return z;
}

TEST(SimdKernels, CorrelatedShocksMatchTheRowByRowSums) {
  Values values(7);
  for (int n : {1, 2, 7, 63, 64, 65, 129, 200}) {
    std::vector<double> factor(static_cast<std::size_t>(n) * n);
    for (auto& f : factor) f = values.Next(0.01);
    std::vector<double> panels(FactorPanelDoubles(n));
    PackFactorPanels(factor.data(), n, panels.data());
    constexpr int kVectors = 11;  // a pass of 8, then the 3 left over
    std::vector<std::vector<double>> shocks(kVectors), vector(kVectors), scalar(kVectors), banded(kVectors);
    std::vector<const double*> in;
    std::vector<double*> outVector, outScalar, outBanded;
    for (int v = 0; v < kVectors; ++v) {
      for (int j = 0; j < n; ++j) shocks[v].push_back(values.Next(0.0));  // shocks are always finite
      if (v == 1) shocks[v][0] = -0.0;
      vector[v].assign(n, 99.0);
      scalar[v].assign(n, 99.0);
      banded[v].assign(n, 99.0);
      in.push_back(shocks[v].data());
      outVector.push_back(vector[v].data());
      outScalar.push_back(scalar[v].data());
      outBanded.push_back(banded[v].data());
    }
    CorrelateShocksScalar(panels.data(), n, in.data(), outScalar.data(), kVectors);
    OnEveryTarget([&] {
      CorrelateShocks(panels.data(), n, in.data(), outVector.data(), kVectors);
      // The same rows in two bands of panels, as two threads share them.
      const std::int32_t split = n > kPanelRows ? kPanelRows : 0;
      CorrelateShockRows(panels.data(), n, split, n, in.data(), outBanded.data(), kVectors);
      CorrelateShockRows(panels.data(), n, 0, split, in.data(), outBanded.data(), kVectors);
      for (int v = 0; v < kVectors; ++v) {
        const std::vector<double> expected = RowByRow(factor, n, shocks[v]);
        EXPECT_TRUE(testing::BitEqual(vector[v], expected)) << "n " << n << " vector " << v;
        EXPECT_TRUE(testing::BitEqual(scalar[v], expected)) << "n " << n << " vector " << v;
        EXPECT_TRUE(testing::BitEqual(banded[v], expected)) << "n " << n << " vector " << v;
      }
    });
  }
}

// Symmetric with a unit diagonal and off-diagonal entries
// strength * (B B^T)[i][k] / (3n) for a random B: positive definite for a
// small `strength`, not for a large one. With `specials`, a few entries are
// overwritten with NaN, infinities, zeros, 1e308 or the smallest subnormal.
std::vector<double> CorrelationMatrix(int n, double strength, bool specials, Values& values) {
  std::vector<double> b(static_cast<std::size_t>(n) * n), a(b.size());
  for (double& x : b) x = values.Next(0.0);
  for (int i = 0; i < n; ++i) {
    for (int k = i; k < n; ++k) {
      double s = 0;
      for (int j = 0; j < n; ++j) s += b[static_cast<std::size_t>(i) * n + j] * b[static_cast<std::size_t>(k) * n + j];
      a[static_cast<std::size_t>(i) * n + k] = a[static_cast<std::size_t>(k) * n + i] =
          i == k ? 1.0 : strength * s / (3.0 * n);
    }
  }
  if (specials) {
    for (int m = 0; m < 1 + n / 8; ++m) a[values.Engine()() % a.size()] = values.Next(1.0);
  }
  return a;
}

TEST(SimdKernels, CorrelationFactorMatchesTheRowByRowFactor) {
  Values values(5);
  // Around the block widths of every instruction set (8, 16 and 32 rows).
  for (int n : {1, 2, 7, 8, 9, 31, 32, 33, 65, 100}) {
    for (const auto& [strength, specials] : {std::pair{0.9, false}, {3.0, false}, {0.5, true}}) {
      const std::vector<double> a = CorrelationMatrix(n, strength, specials, values);
      std::vector<double> expected(a.size(), 99.0);
      FactorCorrelationScalar(n, a.data(), expected.data());
      OnEveryTarget([&] {
        std::vector<double> separate(a.size(), 99.0), inPlace = a;
        FactorCorrelation(n, a.data(), separate.data());
        FactorCorrelation(n, inPlace.data(), inPlace.data());
        EXPECT_TRUE(testing::BitEqual(separate, expected)) << "n " << n << " strength " << strength;
        EXPECT_TRUE(testing::BitEqual(inPlace, expected)) << "n " << n << " strength " << strength << " in place";
      });
    }
  }
}

TEST(SimdKernels, RepricingMatchesItsScalarTwin) {
  Values values(11);
  for (std::size_t count : {1, 7, 8, 9, 16, 1001}) {
    const std::size_t padded = (count + kRepricingPadding - 1) / kRepricingPadding * kRepricingPadding;
    const std::int32_t issuers = 13;  // then the kSpareIssuers spare ones
    std::vector<double> value(padded), spread(padded), duration(padded), planes(padded * kSpreadPlanes);
    std::vector<std::int32_t> issuer(padded);
    std::vector<std::int64_t> planeStart(issuers + kSpareIssuers);
    for (std::size_t a = 0; a < padded; ++a) {
      issuer[a] = static_cast<std::int32_t>(values.Engine()() % (issuers + kSpareIssuers));
      value[a] = values.Next();
      spread[a] = values.Next() * 200;
      duration[a] = values.Next() * 5;
    }
    for (auto& p : planes) p = values.Next() * 300;
    for (auto& start : planeStart) start = static_cast<std::int64_t>(values.Engine()() % kSpreadPlanes * padded);
    const RepricingColumns columns{count,         padded,       issuers,       issuer.data(),
                                   planes.data(), value.data(), spread.data(), duration.data()};
    for (double multiplier : {1.0, 0.37, 2.5, kInf}) {
      const RepricingScenario scenario{planeStart.data(), multiplier, values.Next(), values.Next()};
      // One entry past the assets shows that nothing is written there.
      std::vector<double> scalar(count + 1, 99.0);
      RepriceAssetsScalar(columns, scenario, scalar.data());
      OnEveryTarget([&] {
        std::vector<double> vector(count + 1, 99.0);
        RepriceAssets(columns, scenario, vector.data());
        EXPECT_TRUE(testing::BitEqual(vector, scalar)) << count << " assets, multiplier " << multiplier;
        EXPECT_EQ(vector[count], 99.0);
      });
    }
  }
}

TEST(SimdKernels, RestOfPortfolioCandidatesMatchTheScalarPass) {
  Values values(13);
  for (std::int32_t M : {0, 1, 7, 8, 9, 100, 1001}) {
    std::vector<double> pnl(M), top(M);
    for (auto& p : pnl) p = values.Next(0.05);
    for (auto& t : top) t = values.Next(0.05);
    if (M > 3) top[3] = pnl[3] = 1.0;  // rest equal to the top slot: a candidate
    for (double L : {-1.0, -0.0, -kInf, kNaN}) {
      std::vector<double> restScalar(M, 99.0);
      std::vector<std::int32_t> scalar(M + 1, -1);
      const std::int32_t countScalar =
          FindRestOfPortfolioCandidatesScalar(L, pnl.data(), top.data(), M, restScalar.data(), scalar.data());
      OnEveryTarget([&] {
        std::vector<double> restVector(M, 99.0);
        std::vector<std::int32_t> vector(M + 1, -1);
        const std::int32_t countVector =
            FindRestOfPortfolioCandidates(L, pnl.data(), top.data(), M, restVector.data(), vector.data());
        EXPECT_TRUE(testing::BitEqual(restVector, restScalar)) << M << " assets, L " << L;
        EXPECT_EQ(vector, scalar) << M << " assets, L " << L;
        EXPECT_EQ(countVector, countScalar);
      });
    }
  }
}

}  // namespace
}  // namespace creditsim
