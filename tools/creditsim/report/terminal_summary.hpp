// The run's figures as a compact table on the terminal, within 80 columns:
// the P&L moments, VaR and ES with their intervals at each level, the ten
// largest contributors and the migration check's default frequencies.
#pragma once

#include <string>

#include "portfolio/portfolio.hpp"
#include "report/risk_report.hpp"

namespace creditsim::cli {

std::string TerminalSummary(const Portfolio& portfolio, const RiskReport& report, const std::string& outputDirectory);

}  // namespace creditsim::cli
