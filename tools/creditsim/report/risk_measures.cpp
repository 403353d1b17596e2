#include "report/risk_measures.hpp"

#include <algorithm>
#include <cmath>

namespace creditsim::cli {

std::int64_t TailCount(std::int64_t scenarios, int levelBasisPoints) {
  const std::int64_t tailBasisPoints = 10000 - levelBasisPoints;
  const std::int64_t count = (scenarios * tailBasisPoints + 9999) / 10000;
  return std::max<std::int64_t>(count, 1);
}

PnlMoments ComputeMoments(std::span<const double> pnl) {
  PnlMoments moments;
  moments.count = static_cast<std::int64_t>(pnl.size());
  if (pnl.empty()) return moments;
  double sum = 0;
  for (double value : pnl) sum += value;
  moments.mean = sum / static_cast<double>(pnl.size());
  double squares = 0;
  for (double value : pnl) squares += (value - moments.mean) * (value - moments.mean);
  moments.standardDeviation = pnl.size() > 1 ? std::sqrt(squares / static_cast<double>(pnl.size() - 1)) : 0.0;
  const auto [worst, best] = std::minmax_element(pnl.begin(), pnl.end());
  moments.worst = *worst;
  moments.best = *best;
  return moments;
}

LevelRisk ComputeLevelRisk(std::span<const double> sortedPnl, int levelBasisPoints) {
  LevelRisk risk;
  risk.levelBasisPoints = levelBasisPoints;
  const auto scenarios = static_cast<std::int64_t>(sortedPnl.size());
  if (scenarios == 0) return risk;
  const std::int64_t m = std::min(TailCount(scenarios, levelBasisPoints), scenarios);
  risk.tailCount = m;
  const auto at = [&](std::int64_t rank) { return sortedPnl[static_cast<std::size_t>(std::clamp<std::int64_t>(rank, 1, scenarios) - 1)]; };
  risk.valueAtRisk = -at(m);

  const double p = (10000 - levelBasisPoints) / 10000.0;
  const double expected = static_cast<double>(scenarios) * p;
  const double spread = kIntervalZ * std::sqrt(expected * (1 - p));
  risk.valueAtRiskLow = -at(static_cast<std::int64_t>(std::ceil(expected + spread)));
  risk.valueAtRiskHigh = -at(static_cast<std::int64_t>(std::floor(expected - spread)));

  double tailSum = 0;
  for (std::int64_t i = 0; i < m; ++i) tailSum += sortedPnl[static_cast<std::size_t>(i)];
  risk.expectedShortfall = -(tailSum / static_cast<double>(m));
  double squares = 0;
  for (std::int64_t i = 0; i < m; ++i) {
    const double deviation = -sortedPnl[static_cast<std::size_t>(i)] - risk.expectedShortfall;
    squares += deviation * deviation;
  }
  const double tailVariance = m > 1 ? squares / static_cast<double>(m - 1) : 0.0;
  const double gap = risk.expectedShortfall - risk.valueAtRisk;
  risk.expectedShortfallStandardError = std::sqrt((tailVariance + (1 - p) * gap * gap) / static_cast<double>(m));
  return risk;
}

std::vector<ConvergencePoint> VarConvergence(std::span<const double> pnl, int levelBasisPoints, int points) {
  std::vector<ConvergencePoint> curve;
  const auto scenarios = static_cast<std::int64_t>(pnl.size());
  std::vector<double> prefix;
  for (int j = 1; j <= points; ++j) {
    const std::int64_t n = scenarios * j / points;
    if (n < 1 || (!curve.empty() && curve.back().scenarios == n)) continue;
    prefix.assign(pnl.begin(), pnl.begin() + n);
    const std::int64_t m = std::min(TailCount(n, levelBasisPoints), n);
    std::nth_element(prefix.begin(), prefix.begin() + (m - 1), prefix.end());
    curve.push_back({n, -prefix[static_cast<std::size_t>(m - 1)]});
  }
  return curve;
}

}  // namespace creditsim::cli
