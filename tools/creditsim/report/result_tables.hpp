// The run's tables as CSV, doubles in their shortest round-trip form:
// scenario_pnl.csv (every scenario's P&L), tail_scenarios.csv (the worst
// scenarios with their spread multiplier, every asset's P&L and every
// issuer's new rating) and contributions.csv (per asset, its ES
// contribution and marginal VaR at each level, empty where the tail is too
// small).
#pragma once

#include <string>
#include <string_view>

#include "portfolio/portfolio.hpp"
#include "portfolio_simulation.hpp"
#include "report/risk_report.hpp"

namespace creditsim::cli {

std::string ScenarioPnlCsv(const SimulationResults& results);
std::string TailScenariosCsv(const Portfolio& portfolio, const SimulationResults& results);
std::string ContributionsCsv(const Portfolio& portfolio, const RiskReport& report);

// A CSV field, quoted when it holds a comma, quote or line break.
std::string CsvField(std::string_view text);

}  // namespace creditsim::cli
