// The reverse-order Cholesky factor: the worked examples, aliasing, the
// unread triangle, and U * U^T reproducing random positive definite matrices.
#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <vector>

#include "creditsim/creditsim.hpp"
#include "numerics/correlation_factor.hpp"
#include "support/bit_equal.hpp"

namespace creditsim {
namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

std::vector<double> Factor(std::vector<double> a) {
  const auto n = static_cast<std::int32_t>(std::lround(std::sqrt(a.size())));
  std::vector<double> f(a.size(), 99.0);
  FactorCorrelation(n, a.data(), f.data());
  return f;
}

struct FactorExample {
  const char* name;
  std::vector<double> input, output;
};

TEST(CorrelationFactor, WorkedExamples) {
  const FactorExample examples[] = {
      {"n = 1", {4}, {2}},
      {"n = 1, negative", {-1}, {kNaN}},
      {"2x2", {1, 0.6, 0.6, 1}, {0.8, 0.6, 0, 1}},
      {"2x2 not positive definite", {1, 2, 2, 1}, {kNaN, 2, 0, 1}},
      {"identity", {1, 0, 0, 0, 1, 0, 0, 0, 1}, {1, 0, 0, 0, 1, 0, 0, 0, 1}},
      {"all ones", {1, 1, 1, 1, 1, 1, 1, 1, 1}, {0, 0, 1, 0, 0, 1, 0, 0, 1}},
      {"negative zero diagonal stays", {-0.0}, {-0.0}},
  };
  for (const auto& e : examples) EXPECT_TRUE(testing::BitEqual(Factor(e.input), e.output)) << e.name;
}

TEST(CorrelationFactor, BelowDiagonalIsNeverReadAndWrittenAsPositiveZero) {
  std::vector<double> a{1, 0.2, 0.1, 0.5, 1, 0.3, 0.7, 0.9, 1};
  std::vector<double> scrambled = a;
  scrambled[3] = -5;
  scrambled[6] = kNaN;
  scrambled[7] = 1e300;
  const auto f = Factor(a);
  EXPECT_TRUE(testing::BitEqual(Factor(scrambled), f));
  for (int p : {3, 6, 7}) EXPECT_TRUE(testing::SameDouble(f[p], +0.0)) << p;
}

TEST(CorrelationFactor, InPlaceGivesTheSameResult) {
  std::vector<double> a{1, 0.3, 0.2, 0.3, 1, 0.4, 0.2, 0.4, 1};
  const auto separate = Factor(a);
  FactorCorrelation(3, a.data(), a.data());
  EXPECT_TRUE(testing::BitEqual(a, separate));
}

TEST(CorrelationFactor, ZeroIssuerLeavesTheOthersUnchanged) {
  // Issuer 1 of 3 has a zero row and column; the others equal the 2x2 result.
  const auto f = Factor({1, 0, 0.6, 0, 0, 0, 0.6, 0, 1});
  const auto g = Factor({1, 0.6, 0.6, 1});
  EXPECT_TRUE(testing::BitEqual(f, {g[0], 0, g[1], 0, 0, 0, 0, 0, g[3]}));
}

TEST(CorrelationFactor, NothingHappensForNonPositiveOrder) {
  std::vector<double> a{1}, f{7};
  FactorCorrelation(0, a.data(), f.data());
  FactorCorrelation(-3, a.data(), f.data());
  EXPECT_EQ(f[0], 7);
}

TEST(CorrelationFactor, ReproducesRandomPositiveDefiniteMatrices) {
  std::mt19937_64 random(7);
  std::normal_distribution<double> normal;
  for (int n : {2, 5, 17, 40}) {
    // A = B B^T / n + I/2 is symmetric positive definite.
    std::vector<double> b(n * n), a(n * n);
    for (auto& x : b) x = normal(random);
    for (int i = 0; i < n; ++i)
      for (int k = 0; k < n; ++k) {
        double s = 0;
        for (int j = 0; j < n; ++j) s += b[i * n + j] * b[k * n + j];
        a[i * n + k] = s / n + (i == k ? 0.5 : 0.0);
      }
    const auto u = Factor(a);
    for (int x = 0; x < n; ++x) {
      EXPECT_GT(u[x * n + x], 0);
      for (int y = 0; y < n; ++y) {
        double s = 0;
        for (int k = std::max(x, y); k < n; ++k) s += u[x * n + k] * u[y * n + k];
        EXPECT_NEAR(s, a[x * n + y], 1e-12 * n) << n << ": " << x << "," << y;
      }
    }
  }
}

TEST(CorrelationFactor, CppEntryPointValidates) {
  std::vector<double> a(16, 0.0), f(9, 7.0);
  try {
    Correl(4, a, f);
    FAIL() << "a short factor was accepted";
  } catch (const Error& e) {
    EXPECT_EQ(e.status(), CREDITSIM_ERROR_ARRAY_TOO_SHORT);
    EXPECT_STREQ(e.what(), "factor: holds 9 elements, needs 16 for 4 issuers");
  }
  EXPECT_EQ(f, std::vector<double>(9, 7.0));
  EXPECT_THROW(Correl(46341, a, f), Error);  // n*n no longer fits 32-bit positions
}

}  // namespace
}  // namespace creditsim
