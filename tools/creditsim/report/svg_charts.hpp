// The report's charts as inline SVG, drawn here rather than by a script
// library so that report.html is one self-contained file that renders the
// same with scripting off. Every chart is an <svg data-chart="NAME"> whose
// data marks (bars, lines, points) carry the class "mark".
#pragma once

#include <string>
#include <vector>

#include "report/risk_report.hpp"

namespace creditsim::cli {

// Histogram of the scenario losses with VaR and ES marked at each level.
std::string LossDistributionChart(const RiskReport& report);
// VaR at the convergence level over the first n scenarios, with the final
// estimate's interval as a band.
std::string ConvergenceChart(const RiskReport& report);

struct ContributorBar {
  std::string label;
  double value = 0;
};
// Horizontal bars, largest first.
std::string ContributorChart(const std::vector<ContributorBar>& bars, const std::string& title);

// Text safe inside HTML and SVG.
std::string EscapeHtml(const std::string& text);

}  // namespace creditsim::cli
