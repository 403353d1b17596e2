// summary.json: the run's facts (portfolio, digest of the inputs, seed,
// scenarios, run time) and every figure of the report, for programs that
// compare runs.
#pragma once

#include <string>

#include "portfolio/portfolio.hpp"
#include "report/risk_report.hpp"

namespace creditsim::cli {

std::string SummaryJson(const Portfolio& portfolio, const RiskReport& report);

// The inputs' digest as text: "fnv1a64:" and 16 hex digits.
std::string DigestText(std::uint64_t digest);

// What to say instead of a figure when the tail is too small for a level.
std::string TailTooSmallText(const LevelContributions& level, std::int32_t tailSize);

}  // namespace creditsim::cli
