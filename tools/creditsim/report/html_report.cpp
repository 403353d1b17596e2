#include "report/html_report.hpp"

#include <cstdio>

#include "portfolio/field_values.hpp"
#include "report/summary_json.hpp"
#include "report/svg_charts.hpp"

namespace creditsim::cli {
namespace {

constexpr std::size_t kContributorRows = 20;
constexpr std::size_t kContributorBars = 10;

constexpr const char* kStyle = R"(
body{font-family:system-ui,-apple-system,"Segoe UI",sans-serif;margin:2em auto;max-width:800px;color:#222}
h1{font-size:1.5em}h2{font-size:1.15em;margin-top:2em;border-bottom:1px solid #ccc}
table{border-collapse:collapse;font-size:.9em}td,th{padding:.25em .6em;border-bottom:1px solid #e4e4e4}
td.n,th.n{text-align:right;font-variant-numeric:tabular-nums}.note{color:#666;font-size:.85em}
.cancelled{color:#b00;font-weight:bold}
svg{display:block;margin:1em 0;font-size:11px;background:#fcfcfc}
svg .axis line{stroke:#555}svg .axis line.grid{stroke:#e6e6e6}svg .axis text{fill:#444}
svg rect.bar{fill:#4a7ab5}svg line.var{stroke:#c0392b;stroke-width:1.5}
svg line.es{stroke:#8e44ad;stroke-width:1.5;stroke-dasharray:4 3}svg text.var{fill:#c0392b}svg text.es{fill:#8e44ad}
svg polyline.line{fill:none;stroke:#4a7ab5;stroke-width:1.5}svg circle.point{fill:#4a7ab5}
svg rect.band{fill:#f3d9a4;opacity:.6}
)";

std::string Number(double value, int decimals = 2) {
  char text[64];
  std::snprintf(text, sizeof text, "%.*f", decimals, value);
  return text;
}

std::string Cell(const std::string& text, bool numeric = false) {
  return std::string(numeric ? "<td class=\"n\">" : "<td>") + text + "</td>";
}

std::string RunFactsSection(const RiskReport& report) {
  const RunFacts& run = report.run;
  std::string out = "<table>";
  const auto row = [&](const char* name, const std::string& value) {
    out += "<tr><th>" + std::string(name) + "</th>" + Cell(value) + "</tr>";
  };
  row("portfolio", EscapeHtml(run.portfolio));
  row("issuers / positions", std::to_string(report.issuers) + " / " + std::to_string(report.assets));
  row("portfolio value", Number(report.portfolioValue));
  row("scenarios", std::to_string(run.scenariosRun) +
                       (run.cancelled ? " <span class=\"cancelled\">of " + std::to_string(run.scenariosRequested) +
                                            ": cancelled</span>"
                                      : ""));
  row("seed", std::to_string(run.seed));
  row("tail slots", std::to_string(run.tailSize));
  row("run time", Number(run.seconds, 1) + " s");
  row("inputs digest", DigestText(run.digest));
  return out + "</table>";
}

std::string FiguresSection(const RiskReport& report) {
  std::string out = "<p>Expected loss " + Number(-report.moments.mean) + " (mean P&amp;L " + Number(report.moments.mean) +
                    "), unexpected loss " + Number(report.moments.standardDeviation) +
                    " (standard deviation of P&amp;L). Worst scenario " + Number(report.moments.worst) + ", best " +
                    Number(report.moments.best) + ".</p>";
  out += "<table><tr><th>level</th><th class=\"n\">VaR</th><th class=\"n\">VaR 95 % interval</th><th class=\"n\">ES</th>"
         "<th class=\"n\">ES std. error</th><th class=\"n\">tail scenarios</th><th>contributions</th></tr>";
  for (std::size_t i = 0; i < report.levels.size(); ++i) {
    const LevelRisk& risk = report.levels[i];
    const LevelContributions& shares = report.contributions[i];
    out += "<tr>" + Cell(LevelName(risk.levelBasisPoints)) + Cell(Number(risk.valueAtRisk), true) +
           Cell("[" + Number(risk.valueAtRiskLow) + ", " + Number(risk.valueAtRiskHigh) + "]", true) +
           Cell(Number(risk.expectedShortfall), true) + Cell(Number(risk.expectedShortfallStandardError), true) +
           Cell(std::to_string(risk.tailCount), true) +
           Cell(shares.available ? "total " + Number(shares.expectedShortfallTotal) : TailTooSmallText(shares, report.run.tailSize)) +
           "</tr>";
  }
  return out + "</table>";
}

std::string ContributorsSection(const Portfolio& portfolio, const RiskReport& report) {
  if (!report.headline) {
    return "<p>No contributions: the tail store is too small for every level; run again with a larger --tail.</p>";
  }
  const LevelContributions& level = report.contributions[*report.headline];
  const std::string name = LevelName(level.levelBasisPoints);
  std::vector<ContributorBar> bars;
  for (std::size_t a : LargestContributors(report, kContributorBars)) {
    bars.push_back({portfolio.assets[a].id, level.expectedShortfall[a]});
  }
  std::string out = ContributorChart(bars, "Largest contributors to ES " + name);
  out += "<table><tr><th>asset</th><th>issuer</th><th>kind</th><th class=\"n\">value</th><th class=\"n\">ES contribution " +
         name + "</th><th class=\"n\">marginal VaR " + name + "</th></tr>";
  for (std::size_t a : LargestContributors(report, kContributorRows)) {
    const Asset& asset = portfolio.assets[a];
    out += "<tr>" + Cell(EscapeHtml(asset.id)) + Cell(EscapeHtml(asset.issuerId)) + Cell(KindName(asset.kind)) +
           Cell(Number(asset.value), true) + Cell(Number(level.expectedShortfall[a]), true) +
           Cell(level.marginalVar[a] ? Number(*level.marginalVar[a]) : "n/a", true) + "</tr>";
  }
  return out + "</table><p class=\"note\">Every asset's figures at every level are in contributions.csv.</p>";
}

std::string MigrationSection(const RiskReport& report) {
  const MigrationCheck& check = report.migration;
  std::string out = "<p>Realised frequencies over " + std::to_string(check.scenarios) +
                    " scenarios of the migration stage, in percent; the input's probability below each.</p>"
                    "<table><tr><th>from</th><th class=\"n\">issuer-years</th>";
  for (int k = 1; k <= 8; ++k) out += "<th class=\"n\">" + std::string(RatingName(k)) + "</th>";
  out += "</tr>";
  for (int r = 0; r < 7; ++r) {
    if (check.issuerYears[r] == 0) continue;
    out += "<tr><th>" + std::string(RatingName(r + 1)) + "</th>" + Cell(std::to_string(check.issuerYears[r]), true);
    for (int k = 0; k < 8; ++k) out += Cell(Number(100 * check.realised[r][k], 3), true);
    out += "</tr><tr class=\"note\"><td>input</td><td></td>";
    for (int k = 0; k < 8; ++k) out += Cell(Number(100 * check.expected[r][k], 3), true);
    out += "</tr>";
  }
  return out + "</table>";
}

}  // namespace

std::string HtmlReport(const Portfolio& portfolio, const RiskReport& report) {
  std::string out = "<!DOCTYPE html>\n<html lang=\"en\"><head><meta charset=\"utf-8\"><title>creditsim risk report</title>";
  out += "<style>" + std::string(kStyle) + "</style></head><body>";
  out += "<h1>Credit portfolio risk report</h1>";
  if (report.run.cancelled) {
    out += "<p class=\"cancelled\">The run was cancelled: these figures cover the completed scenarios only.</p>";
  }
  out += RunFactsSection(report);
  out += "<h2>Risk figures</h2>" + FiguresSection(report);
  out += "<h2>Loss distribution</h2>" + LossDistributionChart(report);
  out += "<h2>Convergence of VaR</h2>" + ConvergenceChart(report);
  out += "<h2>Largest contributors</h2>" + ContributorsSection(portfolio, report);
  out += "<h2>Migration check</h2>" + MigrationSection(report);
  out += "<p class=\"note\">Losses are minus P&amp;L. Definitions: docs/risk-measures.md.</p></body></html>\n";
  return out;
}

}  // namespace creditsim::cli
