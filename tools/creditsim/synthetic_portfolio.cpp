// A self-contained generator (splitmix64) keeps the portfolios identical on
// every platform and standard library, so figures stay comparable.
#include "synthetic_portfolio.hpp"

#include <cmath>
#include <utility>
#include <vector>

#include "numerics/correlation_factor.hpp"

namespace creditsim::cli {
namespace {

constexpr int kSectors = 10;
constexpr double kCrossSectorCorrelation = 0.20;
constexpr double kSameSectorCorrelation = 0.45;
constexpr int kTailSlots = 100;
constexpr int kTenorRows = 10;

class SplitMix {
 public:
  explicit SplitMix(std::uint64_t seed) : state_(seed) {}
  std::uint64_t Next() {
    std::uint64_t z = (state_ += 0x9e3779b97f4a7c15ull);
    z = (z ^ (z >> 30)) * 0xbf58476d1ce4e5b9ull;
    z = (z ^ (z >> 27)) * 0x94d049bb133111ebull;
    return z ^ (z >> 31);
  }
  double Uniform() { return static_cast<double>(Next() >> 11) * 0x1.0p-53; }
  double Between(double lo, double hi) { return lo + (hi - lo) * Uniform(); }
  int Below(int n) { return static_cast<int>(Next() % static_cast<std::uint64_t>(n)); }

 private:
  std::uint64_t state_;
};

// Share of issuers by grade 1..7, and the one-year default rate of each grade.
constexpr double kGradeMix[7] = {0.05, 0.10, 0.20, 0.25, 0.20, 0.12, 0.08};
constexpr double kDefaultRate[7] = {0.0001, 0.0003, 0.001, 0.004, 0.015, 0.05, 0.20};
// Spread in basis points by grade, at the one-year tenor.
constexpr double kGradeSpread[7] = {20, 40, 80, 150, 300, 600, 1200};
// Spread scale of the four spread classes (column offsets 0, 8, 16, 24).
constexpr double kClassScale[4] = {1.0, 1.3, 1.8, 2.5};

int DrawGrade(SplitMix& random) {
  double u = random.Uniform();
  for (int g = 0; g < 7; ++g) {
    if (u < kGradeMix[g]) return g + 1;
    u -= kGradeMix[g];
  }
  return 7;
}

// T(r, k) = probability of ending worse than grade k: the rating rule picks
// the first k with T(r, k) below the percentile, so high percentiles give
// good grades. Migration probabilities fall off geometrically with the
// distance from the current grade; the diagonal keeps the rest.
void FillThresholds(std::vector<double>& thresholds) {
  thresholds.assign(49, 0.0);
  for (int r = 1; r <= 7; ++r) {
    double move[8] = {};
    double moved = 0;
    for (int k = 1; k <= 7; ++k) {
      if (k == r) continue;
      move[k] = 0.06 * std::pow(0.25, std::abs(k - r) - 1);
      moved += move[k];
    }
    move[r] = 1.0 - kDefaultRate[r - 1] - moved;
    double worse = kDefaultRate[r - 1];
    for (int k = 7; k >= 1; --k) {
      thresholds[(k - 1) * 7 + (r - 1)] = worse;
      worse += move[k];
    }
  }
}

void FillFactor(HostCase& c, std::int32_t n, const std::vector<int>& sector) {
  std::vector<double> correlation(static_cast<std::size_t>(n) * n);
  for (std::int32_t i = 0; i < n; ++i) {
    for (std::int32_t j = 0; j < n; ++j) {
      const double rho = sector[i] == sector[j] ? kSameSectorCorrelation : kCrossSectorCorrelation;
      correlation[static_cast<std::size_t>(i) * n + j] = i == j ? 1.0 : rho;
    }
  }
  auto& factor = c.Doubles("factor");
  factor.resize(correlation.size());
  FactorCorrelation(n, correlation.data(), factor.data());
}

void FillSpreadTable(std::vector<double>& table) {
  table.assign(33 * kTenorRows, 0.0);
  for (int row = 0; row < kTenorRows; ++row) {
    for (int cls = 0; cls < 4; ++cls) {
      for (int g = 1; g <= 7; ++g) {
        table[row * 33 + cls * 8 + g] = kGradeSpread[g - 1] * kClassScale[cls] * (1.0 + 0.08 * row);
      }
    }
  }
}

}  // namespace

PortfolioSize SyntheticPortfolioSize(const std::string& name) {
  if (name == "S") return {"S", 50, 200};
  if (name == "M") return {"M", 500, 5000};
  if (name == "L") return {"L", 2000, 20000};
  throw InputError("size " + name + " is not one of S, M, L");
}

HostCase MakeSyntheticPortfolio(const PortfolioSize& size, std::int32_t scenarios, std::uint64_t seed) {
  SplitMix random(seed);
  HostCase c;
  const std::int32_t N = size.issuers, M = size.assets;
  c.scenarioCount = scenarios;
  c.tailSize = kTailSlots;
  c.spreadVolatility = 0.25;
  c.market1Volatility = 0.20;
  c.market2Volatility = 0.10;
  c.recoveryMeanA = 0.40;
  c.recoveryMeanB = 0.25;

  std::vector<int> sector(N);
  auto& rating = c.Ints("issuerRating");
  rating.resize(N);
  for (std::int32_t i = 0; i < N; ++i) {
    sector[i] = random.Below(kSectors);
    rating[i] = static_cast<std::int16_t>(random.Uniform() < 0.05 ? 0 : DrawGrade(random));
  }
  FillFactor(c, N, sector);
  FillThresholds(c.Doubles("migrationThreshold"));
  FillSpreadTable(c.Doubles("spreadTable"));

  static constexpr std::int16_t kCreditKinds[] = {1, 5, 7, 9, 12, 16, 20, 21, 22, 23, 24, 30};
  // Filled here and moved in at the end: looking an array up by name for
  // every asset made this loop the slow part of setting up a large portfolio.
  std::vector<std::int16_t> kinds, issuers, tenorLows, tenorHighs;
  std::vector<double> tenorWeights, faces, values, durations, spreads;
  for (std::int32_t a = 0; a < M; ++a) {
    const bool market = random.Uniform() < 0.10;
    const std::int16_t kind = market ? static_cast<std::int16_t>(33 + random.Below(2))
                                     : kCreditKinds[random.Below(static_cast<int>(std::size(kCreditKinds)))];
    const int issuer = random.Below(N);
    const double tenor = random.Between(1.0, static_cast<double>(kTenorRows));
    const int low = std::min(static_cast<int>(tenor) - 1, kTenorRows - 2);
    const double face = std::round(random.Between(0.5, 5.0) * 1e6);
    const int grade = rating[issuer] == 0 ? 4 : rating[issuer];
    const double spread = kGradeSpread[grade - 1] * kClassScale[kind >= 24 ? 3 : kind >= 16 ? 2 : kind >= 8 ? 1 : 0] *
                          (1.0 + 0.08 * (tenor - 1.0)) * random.Between(0.8, 1.2);
    kinds.push_back(kind);
    issuers.push_back(static_cast<std::int16_t>(issuer));
    tenorLows.push_back(static_cast<std::int16_t>(low));
    tenorHighs.push_back(static_cast<std::int16_t>(low + 1));
    tenorWeights.push_back(tenor - 1.0 - low);
    faces.push_back(face);
    values.push_back(face * random.Between(0.85, 1.05));
    durations.push_back(tenor * random.Between(0.7, 0.95));
    spreads.push_back(spread);
  }
  c.Ints("assetKind") = std::move(kinds);
  c.Ints("assetIssuer") = std::move(issuers);
  c.Ints("assetTenorLow") = std::move(tenorLows);
  c.Ints("assetTenorHigh") = std::move(tenorHighs);
  c.Doubles("assetTenorWeight") = std::move(tenorWeights);
  c.Doubles("assetFace") = std::move(faces);
  c.Doubles("assetValue") = std::move(values);
  c.Doubles("assetDuration") = std::move(durations);
  c.Doubles("assetSpread") = std::move(spreads);

  // Outputs and empty tails, sized for the call.
  const std::size_t n = static_cast<std::size_t>(N), m = static_cast<std::size_t>(M), k = kTailSlots;
  c.Doubles("issuerPercentile").assign(n, 0.0);
  c.Doubles("issuerShock").assign(n, 0.0);
  c.Ints("issuerNewRating").assign(n, 0);
  c.Doubles("assetNewSpread").assign(m, 0.0);
  c.Doubles("assetPnl").assign(m, 0.0);
  c.Doubles("tailPnl").assign(k, 0.0);
  c.Doubles("tailAssetPnl").assign(k * m, 0.0);
  c.Ints("tailRating").assign(k * n, 0);
  c.Doubles("tailMultiplier").assign(k, 0.0);
  c.Doubles("scenarioPnl").assign(static_cast<std::size_t>(std::max(scenarios, 0)), 0.0);
  c.Doubles("assetRestPnl").assign(m, 0.0);
  c.Doubles("tailRestPnl").assign(k * m, 0.0);
  return c;
}

}  // namespace creditsim::cli
