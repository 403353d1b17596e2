// The fast engine against the reference engine on many random cases: after
// every run all 25 arrays must hold the same values bit for bit, the generator must be in
// the same state and the driver must report the same outcome.
//
// The cases are built to reach the places where a faster engine could drift:
// issuer counts across the 64-row panels of the correlation kernel, inactive
// issuers, every asset kind class, defaults, NaN and infinity in the inputs,
// thresholds that tie exactly with percentiles, non-monotone and NaN
// thresholds, tails with ties and NaN, K <= 0, M = 0, N = 1, cancellation at
// several progress checks, and runs that continue on the arrays a previous
// run left behind; each case with and without the helper thread.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <random>
#include <string>

#include "host_case.hpp"
#include "interface/simulation_validation.hpp"
#include "numerics/correlation_factor.hpp"
#include "numerics/normal_distribution.hpp"
#include "numerics/normal_draw_table.hpp"
#include "numerics/random_source.hpp"
#include "simulation/driver.hpp"
#include "simulation/fast_engine.hpp"
#include "support/recording_reporter.hpp"

namespace creditsim {
namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInf = std::numeric_limits<double>::infinity();

class CaseMaker {
 public:
  explicit CaseMaker(std::uint64_t seed) : rng_(seed) {}

  int Int(int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng_); }
  double Real(double lo, double hi) { return std::uniform_real_distribution<double>(lo, hi)(rng_); }
  bool Chance(double p) { return Real(0, 1) < p; }
  template <class T>
  T Pick(std::initializer_list<T> values) {
    return values.begin()[Int(0, static_cast<int>(values.size()) - 1)];
  }

  // Mostly ordinary doubles, now and then a special value.
  double Spiced(double ordinary, double p = 0.01) {
    if (!Chance(p)) return ordinary;
    return Pick<double>({kNaN, kInf, -kInf, 0.0, -0.0});
  }

  cli::HostCase Make() {
    cli::HostCase c;
    const int N = Pick({1, 2, 3, 17, 63, 64, 65, 70, 130});
    const int M = Pick({0, 1, 5, 40, 150});
    const int K = Pick({-3, 0, 1, 1, 2, 3, 5, 8});
    const int R = Int(1, 4);
    c.scenarioCount = Pick({1, 99, 100, 101, 250, 350});
    c.tailSize = K;
    const bool special = Chance(0.3);  // NaN and infinity now and then
    const double spice = special ? 0.02 : 0.0;

    MakeFactor(c, N, special);
    auto& rating = c.Ints("issuerRating");
    rating.resize(N);
    const double inactiveShare = Pick({0.0, 0.05, 0.5, 1.0});
    for (auto& r : rating) r = static_cast<std::int16_t>(Chance(inactiveShare) ? 0 : Int(1, 7));
    MakeThresholds(c, spice);

    auto& kind = c.Ints("assetKind");
    auto& issuer = c.Ints("assetIssuer");
    auto& low = c.Ints("assetTenorLow");
    auto& high = c.Ints("assetTenorHigh");
    for (int a = 0; a < M; ++a) {
      kind.push_back(Pick<std::int16_t>({-5, 0, 7, 8, 15, 16, 21, 22, 23, 24, 32, 33, 34, 35, 200}));
      issuer.push_back(static_cast<std::int16_t>(Int(0, N - 1)));
      low.push_back(static_cast<std::int16_t>(Int(0, R - 1)));
      high.push_back(static_cast<std::int16_t>(Int(0, R - 1)));
    }
    const bool flat = Chance(0.2);  // identical assets: scenario P&L values tie
    Fill(c.Doubles("assetFace"), M, [&] { return Spiced(flat ? 100 : Real(0, 200), spice); });
    Fill(c.Doubles("assetValue"), M, [&] { return Spiced(flat ? 90 : Real(-10, 200), spice); });
    Fill(c.Doubles("assetSpread"), M, [&] { return Spiced(flat ? 100 : Real(0, 800), spice); });
    Fill(c.Doubles("assetTenorWeight"), M, [&] { return Spiced(Pick({0.0, 1.0, Real(0, 1)}), spice); });
    Fill(c.Doubles("assetDuration"), M, [&] { return Spiced(flat ? 4 : Real(0, 40), spice); });
    Fill(c.Doubles("spreadTable"), 33 * R, [&] { return Spiced(Real(10, 3000), spice); });
    Fill(c.Doubles("assetNewSpread"), M, [&] { return Real(-1, 1); });  // must survive where never written

    c.spreadVolatility = Pick({0.0, 0.3, Real(0, 2)});
    c.market1Volatility = Pick({0.0, 0.2, Real(0, 1)});
    c.market2Volatility = Pick({0.0, 0.1, Spiced(Real(0, 1), spice * 10)});
    c.recoveryMeanA = Pick({0.0, 0.4, Real(0, 1)});
    c.recoveryMeanB = Pick({0.0, 0.25, Spiced(Real(0, 1), spice * 10)});

    MakeTails(c, N, M, K);
    Fill(c.Doubles("issuerPercentile"), N, [&] { return Real(-1, 1); });
    Fill(c.Doubles("issuerShock"), N, [&] { return Real(-1, 1); });
    c.Ints("issuerNewRating").assign(N, 9);
    Fill(c.Doubles("assetPnl"), M, [&] { return Real(-1, 1); });
    Fill(c.Doubles("assetRestPnl"), M, [&] { return Real(-1, 1); });
    Fill(c.Doubles("scenarioPnl"), c.scenarioCount + 3, [&] { return Real(-1, 1); });
    c.seed = static_cast<std::uint32_t>(rng_());
    c.cancelAtCheck = Pick({-1, -1, -1, 0, 1, 2});
    c.repeat = Pick({1, 1, 2});
    return c;
  }

 private:
  template <class F>
  static void Fill(std::vector<double>& v, int count, F value) {
    v.resize(static_cast<std::size_t>(count));
    for (auto& x : v) x = value();
  }

  void MakeFactor(cli::HostCase& c, int N, bool special) {
    auto& factor = c.Doubles("factor");
    factor.assign(static_cast<std::size_t>(N) * N, 0.0);
    const int style = Int(0, 2);
    if (style == 0) {  // identity: correlated shock equals the shock exactly
      for (int i = 0; i < N; ++i) factor[static_cast<std::size_t>(i) * N + i] = 1;
    } else if (style == 1) {  // a one-factor correlation matrix, factorised
      const double rho = Real(0, 0.6);
      std::vector<double> correlation(factor.size());
      for (int i = 0; i < N; ++i)
        for (int j = 0; j < N; ++j) correlation[static_cast<std::size_t>(i) * N + j] = i == j ? 1 : rho;
      FactorCorrelation(N, correlation.data(), factor.data());
    } else {  // anything, including the positions below the diagonal that are never read
      for (auto& x : factor) x = Real(-1, 1);
    }
    if (special) {
      for (auto& x : factor) x = Spiced(x, 0.003);
    }
  }

  void MakeThresholds(cli::HostCase& c, double spice) {
    auto& t = c.Doubles("migrationThreshold");
    t.resize(49);
    const int style = Int(0, 3);
    for (int r = 1; r <= 7; ++r) {
      for (int k = 1; k <= 7; ++k) {
        double value;
        if (style == 0) {  // realistic: decreasing in k
          value = 1 - (k - 0.5 + Real(-0.4, 0.4)) / 7.5;
        } else if (style == 1) {  // exact percentiles of possible shocks: ties with an identity factor
          value = NormalCdf(IssuerShockTable()[Int(0, 32767)]);
        } else if (style == 2) {  // non-monotone and edge values
          value = Pick({0.0, 0.5, 1.0, -0.1, 1.1, Real(0, 1), Real(0, 1)});
        } else {
          value = Real(0, 1);
        }
        t[(k - 1) * 7 + (r - 1)] = Spiced(value, spice);
      }
    }
  }

  // Each asset's column (slots M apart) in ascending order, NaN first.
  static void SortColumns(std::vector<double>& tail, int slots, int M) {
    for (int a = 0; a < M; ++a) {
      std::vector<double> column;
      for (int i = 0; i < slots; ++i) column.push_back(tail[static_cast<std::size_t>(i) * M + a]);
      std::sort(column.begin(), column.end(), [](double x, double y) { return std::isnan(x) ? !std::isnan(y) : x < y; });
      for (int i = 0; i < slots; ++i) tail[static_cast<std::size_t>(i) * M + a] = column[i];
    }
  }

  void MakeTails(cli::HostCase& c, int N, int M, int K) {
    const int slots = std::max(K, 0);
    auto& tailPnl = c.Doubles("tailPnl");
    const int tailStyle = Int(0, 2);  // zeros, sorted with ties and NaN, or random order
    for (int i = 0; i < slots; ++i) {
      double v = tailStyle == 0 ? 0.0 : Pick({-50.0, -20.0, -20.0, -5.0, 0.0, -0.0, Real(-100, 10)});
      if (tailStyle != 0 && Chance(0.1)) v = kNaN;
      tailPnl.push_back(v);
    }
    if (tailStyle == 1) std::sort(tailPnl.begin(), tailPnl.end(), [](double a, double b) { return a < b; });
    Fill(c.Doubles("tailMultiplier"), slots, [&] { return Real(0, 3); });
    Fill(c.Doubles("tailAssetPnl"), slots * M, [&] { return Real(-10, 10); });
    auto& tailRating = c.Ints("tailRating");
    for (int i = 0; i < slots * N; ++i) tailRating.push_back(static_cast<std::int16_t>(Int(0, 8)));
    Fill(c.Doubles("tailRestPnl"), slots * M, [&] {
      if (tailStyle == 0) return 0.0;
      return Chance(0.05) ? kNaN : Pick({-30.0, -30.0, 0.0, -0.0, Real(-200, 5)});
    });
    if (tailStyle == 1) SortColumns(c.Doubles("tailRestPnl"), slots, M);
  }

  std::mt19937_64 rng_;
};

struct EngineRun {
  cli::HostCase arrays;
  std::vector<RunResult> results;
  std::vector<std::uint32_t> generatorStates;
};

// Runs the case `repeat` times on its own arrays, the later runs continuing
// from what the earlier left (with the next seed).
EngineRun RunWith(const cli::HostCase& start, Engine engine) {
  EngineRun run{start, {}, {}};
  cli::HostCase& c = run.arrays;
  for (int call = 0; call < c.repeat; ++call) {
    const SimulationRun simulation = ValidateSimulation(cli::ArraysOf(c), cli::ParametersOf(c), c.IssuerCount(),
                                                        c.AssetCount());
    testing::RecordingReporter reporter(call == 0 ? c.cancelAtCheck.value_or(-1) : -1);
    run.results.push_back(RunSimulation(simulation, *c.seed + call, reporter, engine));
    run.generatorStates.push_back(ThreadRandomSource().State());
  }
  return run;
}

// Same bytes, the sign of zero included. Any NaN matches any NaN: which
// operand's NaN an addition returns depends on the operand order the
// compiler picks (the reference itself differs between optimised and debug
// builds), so the payload and sign of a NaN carry no meaning.
bool SameDouble(double a, double b) {
  if (std::isnan(a) || std::isnan(b)) return std::isnan(a) && std::isnan(b);
  return std::memcmp(&a, &b, sizeof a) == 0;
}

::testing::AssertionResult SameBytes(const cli::HostCase& fast, const cli::HostCase& reference) {
  for (int i = 0; i < cli::kArrayCount; ++i) {
    const auto& f = fast.arrays[i];
    const auto& r = reference.arrays[i];
    const bool ints = cli::IsInt16Array(i);
    const std::size_t count = ints ? f.ints.size() : f.doubles.size();
    for (std::size_t k = 0; k < count; ++k) {
      const bool same = ints ? f.ints[k] == r.ints[k] : SameDouble(f.doubles[k], r.doubles[k]);
      if (!same) {
        return ::testing::AssertionFailure()
               << cli::kArrayNames[i] << "[" << k << "]: fast "
               << (ints ? static_cast<double>(f.ints[k]) : f.doubles[k]) << ", reference "
               << (ints ? static_cast<double>(r.ints[k]) : r.doubles[k]);
      }
    }
  }
  return ::testing::AssertionSuccess();
}

// The fast engine with the next scenario's migration on a helper thread
// (or never), whatever the portfolio's size.
EngineRun RunFast(const cli::HostCase& start, bool overlapped) {
  const std::int64_t threshold = FastEngineOverlapThreshold();
  SetFastEngineOverlapThreshold(overlapped ? 0 : INT64_MAX);
  EngineRun run = RunWith(start, Engine::Fast);
  SetFastEngineOverlapThreshold(threshold);
  return run;
}

TEST(FastEngineDifferential, RandomCasesLeaveIdenticalArrays) {
  constexpr int kCases = 400;
  for (int n = 0; n < kCases; ++n) {
    CaseMaker maker(0x5eed0000u + static_cast<std::uint64_t>(n));
    const cli::HostCase start = maker.Make();
    const EngineRun reference = RunWith(start, Engine::Reference);
    for (const bool overlapped : {false, true}) {
      const EngineRun fast = RunFast(start, overlapped);
      SCOPED_TRACE(std::string(overlapped ? "helper thread, " : "one thread, ") + "case " + std::to_string(n) +
                   ": N " + std::to_string(start.IssuerCount()) + ", M " + std::to_string(start.AssetCount()) +
                   ", K " + std::to_string(start.tailSize) + ", D " + std::to_string(start.scenarioCount) +
                   ", cancel at check " + std::to_string(start.cancelAtCheck.value_or(-1)) + ", runs " +
                   std::to_string(start.repeat));
      ASSERT_TRUE(SameBytes(fast.arrays, reference.arrays));
      ASSERT_EQ(fast.generatorStates, reference.generatorStates);
      for (std::size_t call = 0; call < fast.results.size(); ++call) {
        EXPECT_EQ(fast.results[call].scenariosRun, reference.results[call].scenariosRun);
        EXPECT_EQ(fast.results[call].cancelled, reference.results[call].cancelled);
      }
    }
  }
}

}  // namespace
}  // namespace creditsim
