#include "report/summary_json.hpp"

#include <cstdio>

#include <nlohmann/json.hpp>

#include "portfolio/field_values.hpp"

namespace creditsim::cli {
namespace {

using Json = nlohmann::ordered_json;

Json LevelJson(const LevelRisk& risk, const LevelContributions& contributions, std::int32_t tailSize) {
  const double margin = kIntervalZ * risk.expectedShortfallStandardError;
  Json level = {{"level", risk.levelBasisPoints / 10000.0},
                {"tail_scenarios", risk.tailCount},
                {"var", risk.valueAtRisk},
                {"var_interval_95", {risk.valueAtRiskLow, risk.valueAtRiskHigh}},
                {"es", risk.expectedShortfall},
                {"es_standard_error", risk.expectedShortfallStandardError},
                {"es_interval_95", {risk.expectedShortfall - margin, risk.expectedShortfall + margin}}};
  if (contributions.available) {
    level["contributions"] = "available";
    level["es_contributions_total"] = contributions.expectedShortfallTotal;
  } else {
    level["contributions"] = TailTooSmallText(contributions, tailSize);
  }
  return level;
}

Json MigrationJson(const MigrationCheck& check) {
  Json grades = Json::array();
  for (int r = 0; r < 7; ++r) {
    grades.push_back({{"from", RatingName(r + 1)},
                      {"issuer_scenarios", check.issuerYears[r]},
                      {"realised", check.realised[r]},
                      {"expected", check.expected[r]}});
  }
  return {{"scenarios", check.scenarios}, {"columns", {"AAA", "AA", "A", "BBB", "BB", "B", "CCC", "D"}}, {"grades", grades}};
}

Json ContributorsJson(const Portfolio& portfolio, const RiskReport& report) {
  Json list = Json::array();
  if (!report.headline) return list;
  const LevelContributions& level = report.contributions[*report.headline];
  for (std::size_t a : LargestContributors(report, 10)) {
    list.push_back({{"asset", portfolio.assets[a].id},
                    {"issuer", portfolio.assets[a].issuerId},
                    {"es_contribution", level.expectedShortfall[a]},
                    {"marginal_var", level.marginalVar[a] ? Json(*level.marginalVar[a]) : Json(nullptr)}});
  }
  return list;
}

}  // namespace

std::string DigestText(std::uint64_t digest) {
  char text[32];
  std::snprintf(text, sizeof text, "fnv1a64:%016llx", static_cast<unsigned long long>(digest));
  return text;
}

std::string TailTooSmallText(const LevelContributions& level, std::int32_t tailSize) {
  return "tail too small: needs " + std::to_string(level.tailCount) + " slots, the run kept " + std::to_string(tailSize);
}

std::string SummaryJson(const Portfolio& portfolio, const RiskReport& report) {
  const RunFacts& run = report.run;
  Json levels = Json::array();
  for (std::size_t i = 0; i < report.levels.size(); ++i) {
    levels.push_back(LevelJson(report.levels[i], report.contributions[i], run.tailSize));
  }
  Json convergence = Json::array();
  for (const ConvergencePoint& point : report.convergence) {
    convergence.push_back({{"scenarios", point.scenarios}, {"var", point.valueAtRisk}});
  }
  const Json summary = {
      {"portfolio", run.portfolio},
      {"inputs_digest", DigestText(run.digest)},
      {"seed", run.seed},
      {"scenarios_requested", run.scenariosRequested},
      {"scenarios", run.scenariosRun},
      {"cancelled", run.cancelled},
      {"tail_size", run.tailSize},
      {"shards", run.shards},
      {"run_seconds", run.seconds},
      {"issuers", report.issuers},
      {"assets", report.assets},
      {"portfolio_value", report.portfolioValue},
      {"pnl",
       {{"mean", report.moments.mean},
        {"standard_deviation", report.moments.standardDeviation},
        {"expected_loss", -report.moments.mean},
        {"unexpected_loss", report.moments.standardDeviation},
        {"worst", report.moments.worst},
        {"best", report.moments.best}}},
      {"levels", levels},
      {"contributors_level", report.headline ? Json(report.levels[*report.headline].levelBasisPoints / 10000.0) : Json(nullptr)},
      {"largest_contributors", ContributorsJson(portfolio, report)},
      {"var_convergence", {{"level", report.convergenceLevel / 10000.0}, {"points", convergence}}},
      {"migration_check", MigrationJson(report.migration)}};
  return summary.dump(2) + "\n";
}

}  // namespace creditsim::cli
