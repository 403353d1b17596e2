#include "report/result_tables.hpp"

#include "json_numbers.hpp"
#include "portfolio/field_values.hpp"

namespace creditsim::cli {

std::string CsvField(std::string_view text) {
  if (text.find_first_of(",\"\n\r") == std::string_view::npos) return std::string(text);
  std::string quoted = "\"";
  for (char c : text) {
    if (c == '"') quoted += '"';
    quoted += c;
  }
  return quoted + "\"";
}

std::string ScenarioPnlCsv(const SimulationResults& results) {
  std::string out = "scenario,pnl\n";
  for (std::size_t s = 0; s < results.scenarioPnl.size(); ++s) {
    out += std::to_string(s) + "," + FormatDouble(results.scenarioPnl[s]) + "\n";
  }
  return out;
}

std::string TailScenariosCsv(const Portfolio& portfolio, const SimulationResults& results) {
  const std::size_t m = portfolio.assets.size();
  const std::size_t n = portfolio.issuers.size();
  std::string out = "rank,pnl,spread_multiplier";
  for (const Asset& asset : portfolio.assets) out += "," + CsvField("pnl:" + asset.id);
  for (const Issuer& issuer : portfolio.issuers) out += "," + CsvField("rating:" + issuer.id);
  out += "\n";
  const std::int32_t filled = FilledSlots(results.tailPnl);
  for (std::size_t slot = 0; slot < static_cast<std::size_t>(filled); ++slot) {
    out += std::to_string(slot + 1) + "," + FormatDouble(results.tailPnl[slot]) + "," +
           FormatDouble(results.tailMultiplier[slot]);
    for (std::size_t a = 0; a < m; ++a) out += "," + FormatDouble(results.tailAssetPnl[slot * m + a]);
    for (std::size_t i = 0; i < n; ++i) out += std::string(",") + RatingName(results.tailRating[slot * n + i]);
    out += "\n";
  }
  return out;
}

std::string ContributionsCsv(const Portfolio& portfolio, const RiskReport& report) {
  std::string out = "asset,issuer,kind,value";
  for (const LevelContributions& level : report.contributions) {
    const std::string suffix = std::to_string(level.levelBasisPoints);
    out += ",es_contribution_" + suffix + ",marginal_var_" + suffix;
  }
  out += "\n";
  for (std::size_t a = 0; a < portfolio.assets.size(); ++a) {
    const Asset& asset = portfolio.assets[a];
    out += CsvField(asset.id) + "," + CsvField(asset.issuerId) + "," + std::to_string(asset.kind) + "," +
           FormatDouble(asset.value);
    for (const LevelContributions& level : report.contributions) {
      out += ",";
      if (level.available) out += FormatDouble(level.expectedShortfall[a]);
      out += ",";
      if (level.available && level.marginalVar[a]) out += FormatDouble(*level.marginalVar[a]);
    }
    out += "\n";
  }
  return out;
}

}  // namespace creditsim::cli
