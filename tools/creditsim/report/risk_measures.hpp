// Portfolio risk figures from the simulated P&L of every scenario.
//
// Losses are reported as positive numbers. With the D scenario P&Ls sorted
// ascending, x(1) <= ... <= x(D), and the tail count m = ceil(D * (1 - a))
// for a confidence level a (at least 1):
//   VaR(a) = -x(m)                     the empirical (1 - a) quantile
//   ES(a)  = -(x(1) + ... + x(m)) / m  the mean of the m worst scenarios
// Levels are whole basis points (9900 is 99 %), so m is computed exactly in
// integers and ties fall out of the order statistics with no special case.
#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <vector>

namespace creditsim::cli {

// 95 %, 99 % and 99.9 %, in basis points.
inline constexpr std::array<int, 3> kConfidenceLevels = {9500, 9900, 9990};
// Two-sided 95 % normal quantile for the Monte Carlo intervals.
inline constexpr double kIntervalZ = 1.959963984540054;

// m = ceil(D * (10000 - level) / 10000), at least 1.
std::int64_t TailCount(std::int64_t scenarios, int levelBasisPoints);

struct PnlMoments {
  std::int64_t count = 0;
  double mean = 0;               // expected P&L; expected loss is -mean
  double standardDeviation = 0;  // of P&L (divisor D - 1); the unexpected loss
  double worst = 0;
  double best = 0;
};
PnlMoments ComputeMoments(std::span<const double> pnl);

struct LevelRisk {
  int levelBasisPoints = 0;
  std::int64_t tailCount = 0;  // m
  double valueAtRisk = 0;
  double valueAtRiskLow = 0;   // 95 % order-statistic interval for VaR
  double valueAtRiskHigh = 0;
  double expectedShortfall = 0;
  double expectedShortfallStandardError = 0;
};

// `sortedPnl` ascending. The VaR interval is [-x(u), -x(l)] with
// l = floor(Dp - z sqrt(Dp(1-p))) and u = ceil(Dp + z sqrt(Dp(1-p))),
// p = 1 - a, clamped to 1 ... D: the scenarios below the true quantile are
// binomial (D, p). The ES standard error is
//   sqrt((s^2 + (1 - p) (ES - VaR)^2) / m),
// s^2 the sample variance of the m tail losses.
LevelRisk ComputeLevelRisk(std::span<const double> sortedPnl, int levelBasisPoints);

// VaR at `levelBasisPoints` over the first n scenarios, for `points` values
// of n spread evenly up to D: how the estimate settles as scenarios
// accumulate.
struct ConvergencePoint {
  std::int64_t scenarios = 0;
  double valueAtRisk = 0;
};
std::vector<ConvergencePoint> VarConvergence(std::span<const double> pnl, int levelBasisPoints, int points);

}  // namespace creditsim::cli
