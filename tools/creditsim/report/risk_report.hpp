// Every figure of a portfolio run, computed once and shared by the writers
// (summary.json, the CSV tables, report.html and the terminal summary), so
// that they can never disagree.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "portfolio/portfolio.hpp"
#include "portfolio_simulation.hpp"
#include "report/contributions.hpp"
#include "report/migration_check.hpp"
#include "report/risk_measures.hpp"

namespace creditsim::cli {

struct RunFacts {
  std::string portfolio;  // directory
  std::uint64_t digest = 0;
  std::uint32_t seed = 0;
  std::int32_t scenariosRequested = 0;
  std::int32_t scenariosRun = 0;
  std::int32_t tailSize = 0;
  std::int32_t shards = 0;  // 0: one sequence; the seed repeats a run only with the same count
  bool cancelled = false;
  double seconds = 0;  // of the simulation call
};

struct RiskReport {
  RunFacts run;
  std::int32_t issuers = 0;
  std::int32_t assets = 0;
  double portfolioValue = 0;
  PnlMoments moments;
  std::vector<LevelRisk> levels;                  // one per kConfidenceLevels
  std::vector<LevelContributions> contributions;  // likewise
  std::vector<ConvergencePoint> convergence;      // of VaR at the headline level
  std::vector<double> sortedPnl;                  // ascending, for the histogram
  MigrationCheck migration;
  std::optional<std::size_t> headline;            // level whose contributions are ranked
  int convergenceLevel = 9900;
};

// Scenarios the migration check runs at most: enough for frequencies to
// three decimals, bounded so the check stays a small part of a long run.
inline constexpr std::int32_t kMigrationCheckScenarios = 20000;

RiskReport BuildRiskReport(const Portfolio& portfolio, const SimulationInputs& inputs,
                           const SimulationResults& results, const RunFacts& facts);

// Asset positions ordered by ES contribution at the headline level, largest
// first; at most `count`.
std::vector<std::size_t> LargestContributors(const RiskReport& report, std::size_t count);

// "99 %", "99.9 %".
std::string LevelName(int levelBasisPoints);

}  // namespace creditsim::cli
