// report.html: one self-contained page (styles inline, charts as inline
// SVG, no script, font or style fetched from anywhere) with the run's
// facts, the risk figures, the loss distribution, the convergence of VaR,
// the largest contributors and the migration check.
#pragma once

#include <string>

#include "portfolio/portfolio.hpp"
#include "report/risk_report.hpp"

namespace creditsim::cli {

std::string HtmlReport(const Portfolio& portfolio, const RiskReport& report);

}  // namespace creditsim::cli
