#include "report/risk_report.hpp"

#include <algorithm>
#include <numeric>

namespace creditsim::cli {
namespace {

// 99 % is the level analysts rank contributors at; the others stand in when
// the tail is too small for it (99.9 % needs fewer slots).
constexpr std::array<int, 3> kHeadlinePreference = {9900, 9990, 9500};
constexpr int kConvergencePoints = 40;

std::optional<std::size_t> ChooseHeadline(const std::vector<LevelContributions>& contributions) {
  for (int level : kHeadlinePreference) {
    for (std::size_t i = 0; i < contributions.size(); ++i) {
      if (contributions[i].levelBasisPoints == level && contributions[i].available) return i;
    }
  }
  return std::nullopt;
}

}  // namespace

std::string LevelName(int levelBasisPoints) {
  std::string text = std::to_string(levelBasisPoints / 100);
  if (levelBasisPoints % 100 != 0) {
    std::string fraction = std::to_string(levelBasisPoints % 100 + 100).substr(1);
    if (fraction.back() == '0') fraction.pop_back();
    text += "." + fraction;
  }
  return text + " %";
}

RiskReport BuildRiskReport(const Portfolio& portfolio, const SimulationInputs& inputs,
                           const SimulationResults& results, const RunFacts& facts) {
  RiskReport report;
  report.run = facts;
  report.issuers = inputs.issuerCount;
  report.assets = inputs.assetCount;
  for (const Asset& asset : portfolio.assets) report.portfolioValue += asset.value;
  report.moments = ComputeMoments(results.scenarioPnl);
  report.sortedPnl = results.scenarioPnl;
  std::sort(report.sortedPnl.begin(), report.sortedPnl.end());
  const TailView tail{inputs.parameters.tailSize, inputs.assetCount, results.tailPnl, results.tailAssetPnl,
                      results.tailRestPnl};
  for (int level : kConfidenceLevels) {
    report.levels.push_back(ComputeLevelRisk(report.sortedPnl, level));
    report.contributions.push_back(
        ComputeContributions(tail, facts.scenariosRun, level, report.levels.back().valueAtRisk));
  }
  report.headline = ChooseHeadline(report.contributions);
  report.convergence = VarConvergence(results.scenarioPnl, report.convergenceLevel, kConvergencePoints);
  report.migration = CheckMigration(inputs, facts.seed, std::min(facts.scenariosRun, kMigrationCheckScenarios));
  return report;
}

std::vector<std::size_t> LargestContributors(const RiskReport& report, std::size_t count) {
  if (!report.headline) return {};
  const std::vector<double>& shares = report.contributions[*report.headline].expectedShortfall;
  std::vector<std::size_t> order(shares.size());
  std::iota(order.begin(), order.end(), 0);
  const std::size_t shown = std::min(count, order.size());
  std::partial_sort(order.begin(), order.begin() + static_cast<std::ptrdiff_t>(shown), order.end(),
                    [&](std::size_t a, std::size_t b) { return shares[a] > shares[b] || (shares[a] == shares[b] && a < b); });
  order.resize(shown);
  return order;
}

}  // namespace creditsim::cli
