#include "report/contributions.hpp"

#include <cmath>
#include <limits>

#include "report/risk_measures.hpp"

namespace creditsim::cli {

std::int32_t FilledSlots(std::span<const double> tailPnl) {
  std::int32_t filled = 0;
  while (filled < static_cast<std::int32_t>(tailPnl.size()) &&
         tailPnl[static_cast<std::size_t>(filled)] != std::numeric_limits<double>::infinity()) {
    ++filled;
  }
  return filled;
}

LevelContributions ComputeContributions(const TailView& tail, std::int64_t scenarios, int levelBasisPoints,
                                        double portfolioVar) {
  LevelContributions result;
  result.levelBasisPoints = levelBasisPoints;
  result.tailCount = TailCount(scenarios, levelBasisPoints);
  const std::int64_t m = result.tailCount;
  const auto assets = static_cast<std::size_t>(tail.assets);
  result.available = m <= FilledSlots(tail.tailPnl);
  if (!result.available) return result;

  result.expectedShortfall.assign(assets, 0.0);
  result.marginalVar.assign(assets, std::nullopt);
  for (std::size_t a = 0; a < assets; ++a) {
    double sum = 0;
    for (std::int64_t i = 0; i < m; ++i) sum += tail.tailAssetPnl[static_cast<std::size_t>(i) * assets + a];
    result.expectedShortfall[a] = -(sum / static_cast<double>(m));
    result.expectedShortfallTotal += result.expectedShortfall[a];
    const double rest = tail.tailRestPnl[static_cast<std::size_t>(m - 1) * assets + a];
    if (rest != std::numeric_limits<double>::infinity()) result.marginalVar[a] = portfolioVar - (-rest);
  }
  return result;
}

}  // namespace creditsim::cli
