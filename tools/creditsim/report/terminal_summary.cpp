#include "report/terminal_summary.hpp"

#include <cstdarg>
#include <cstdio>

#include "portfolio/field_values.hpp"
#include "report/summary_json.hpp"

namespace creditsim::cli {
namespace {

// printf into a string: the table's columns are fixed widths.
std::string Format(const char* format, ...) __attribute__((format(printf, 1, 2)));
std::string Format(const char* format, ...) {
  char line[256];
  va_list args;
  va_start(args, format);
  std::vsnprintf(line, sizeof line, format, args);
  va_end(args);
  return line;
}

std::string Shorten(const std::string& text, std::size_t width) {
  return text.size() <= width ? text : text.substr(0, width - 1) + "~";
}

// Keeps the end of a long path, which names the portfolio.
std::string ShortenPath(const std::string& path, std::size_t width) {
  return path.size() <= width ? path : "~" + path.substr(path.size() - (width - 1));
}

std::string Header(const RiskReport& report) {
  const RunFacts& run = report.run;
  std::string out = "Portfolio: " + ShortenPath(run.portfolio, 68) + "\n";
  out += Format("%d issuers, %d positions, value %.2f\n", report.issuers, report.assets, report.portfolioValue);
  if (run.cancelled) {
    out += Format("CANCELLED after %d of %d scenarios: the figures cover those only\n", run.scenariosRun,
                  run.scenariosRequested);
  }
  const std::string repeat =
      run.shards > 0 ? Format("--seed %u --shards %d", run.seed, run.shards) : Format("--seed %u", run.seed);
  out += Format("%d scenarios in %.1f s, seed %u (repeat with %s)\n", run.scenariosRun, run.seconds, run.seed,
                repeat.c_str());
  out += Format("Expected loss %.2f (mean P&L %.2f), unexpected loss %.2f (std. dev.)\n\n", -report.moments.mean,
                report.moments.mean, report.moments.standardDeviation);
  return out;
}

std::string LevelTable(const RiskReport& report) {
  std::string out = Format("%-7s %11s %23s %11s %9s  %s\n", "level", "VaR", "VaR 95% interval", "ES", "ES +/-",
                           "contributions");
  for (std::size_t i = 0; i < report.levels.size(); ++i) {
    const LevelRisk& risk = report.levels[i];
    const LevelContributions& shares = report.contributions[i];
    const std::string interval = Format("[%.2f, %.2f]", risk.valueAtRiskLow, risk.valueAtRiskHigh);
    out += Format("%-7s %11.2f %23s %11.2f %9.2f  %s\n", LevelName(risk.levelBasisPoints).c_str(), risk.valueAtRisk,
                  interval.c_str(), risk.expectedShortfall, kIntervalZ * risk.expectedShortfallStandardError,
                  shares.available ? "yes" : Format("tail < %lld", static_cast<long long>(shares.tailCount)).c_str());
  }
  return out + "\n";
}

std::string ContributorTable(const Portfolio& portfolio, const RiskReport& report) {
  if (!report.headline) {
    return "No contributions: the tail is too small for every level (raise --tail).\n\n";
  }
  const LevelContributions& level = report.contributions[*report.headline];
  const double es = report.levels[*report.headline].expectedShortfall;
  std::string out = "Largest contributors to ES at " + LevelName(level.levelBasisPoints) + "\n";
  out += Format("  %-16s %-14s %-12s %11s %7s %12s\n", "asset", "issuer", "kind", "ES contrib.", "share", "marginal VaR");
  for (std::size_t a : LargestContributors(report, 10)) {
    const Asset& asset = portfolio.assets[a];
    const auto& marginal = level.marginalVar[a];
    out += Format("  %-16s %-14s %-12s %11.2f %6.1f%% %12s\n", Shorten(asset.id, 16).c_str(),
                  Shorten(asset.issuerId, 14).c_str(), KindName(asset.kind).c_str(), level.expectedShortfall[a],
                  es != 0 ? 100 * level.expectedShortfall[a] / es : 0.0,
                  marginal ? Format("%.2f", *marginal).c_str() : "n/a");
  }
  return out + "\n";
}

std::string MigrationTable(const RiskReport& report) {
  const MigrationCheck& check = report.migration;
  std::string out = Format("Migration check over %d scenarios (realised vs input, %%)\n", check.scenarios);
  out += Format("  %-5s %14s %9s %9s %10s %10s\n", "grade", "issuer-years", "stay", "input", "default", "input");
  for (int r = 0; r < 7; ++r) {
    if (check.issuerYears[r] == 0) continue;
    out += Format("  %-5s %14lld %9.3f %9.3f %10.4f %10.4f\n", RatingName(r + 1),
                  static_cast<long long>(check.issuerYears[r]), 100 * check.realised[r][r], 100 * check.expected[r][r],
                  100 * check.realised[r][7], 100 * check.expected[r][7]);
  }
  return out + "\n";
}

}  // namespace

std::string TerminalSummary(const Portfolio& portfolio, const RiskReport& report, const std::string& outputDirectory) {
  return Header(report) + LevelTable(report) + ContributorTable(portfolio, report) + MigrationTable(report) +
         "Results written to " + outputDirectory + "/\nReport: " + outputDirectory + "/report.html (open it in a browser)\n";
}

}  // namespace creditsim::cli
