#include "portfolio/settings_file.hpp"

#include <cmath>
#include <functional>
#include <limits>
#include <map>
#include <set>

#include <toml++/toml.h>

namespace creditsim::cli {
namespace {

// Reads typed values from one table and records what is wrong with them.
class SettingsTable {
 public:
  SettingsTable(const toml::table* table, std::string name, const std::string& path, InputProblems& problems)
      : table_(table), name_(std::move(name)), path_(path), problems_(problems) {}

  std::size_t Line() const { return table_ ? table_->source().begin.line : 0; }
  bool Exists() const { return table_ != nullptr; }

  // Numbers: integers are accepted where a real is expected.
  std::optional<double> Number(const char* key, double low, double high) {
    const toml::node* node = Find(key);
    if (!node) return std::nullopt;
    const auto value = node->value<double>();
    if (!value || !node->is_number() || !std::isfinite(*value) || *value < low || *value > high) {
      Problem(node, std::string(key) + " must be a number from " + Text(low) + " to " + Text(high));
      return std::nullopt;
    }
    return value;
  }

  std::optional<long long> Integer(const char* key, long long low, long long high) {
    const toml::node* node = Find(key);
    if (!node) return std::nullopt;
    const auto value = node->value<std::int64_t>();
    if (!node->is_integer() || !value || *value < low || *value > high) {
      Problem(node, std::string(key) + " must be a whole number from " + std::to_string(low) + " to " +
                        std::to_string(high));
      return std::nullopt;
    }
    return *value;
  }

  std::optional<std::string> String(const char* key) {
    const toml::node* node = Find(key);
    if (!node) return std::nullopt;
    if (!node->is_string()) {
      Problem(node, std::string(key) + " must be a string");
      return std::nullopt;
    }
    return node->value<std::string>();
  }

  void RequireKey(const char* key) {
    if (table_ && !table_->contains(key)) {
      problems_.Add(path_, Line(), "[" + name_ + "] needs " + key);
    }
  }

  // Every key must be one the table knows.
  void CheckKeys(std::initializer_list<const char*> known) {
    if (!table_) return;
    const std::set<std::string> allowed(known.begin(), known.end());
    for (const auto& [key, node] : *table_) {
      if (!allowed.count(std::string(key.str()))) {
        problems_.Add(path_, node.source().begin.line, "unknown setting '" + std::string(key.str()) + "' in [" + name_ + "]");
      }
    }
  }

 private:
  const toml::node* Find(const char* key) const { return table_ ? table_->get(key) : nullptr; }
  void Problem(const toml::node* node, const std::string& what) {
    problems_.Add(path_, node->source().begin.line, "[" + name_ + "] " + what);
  }
  static std::string Text(double value) {
    if (value == std::numeric_limits<double>::max()) return "any";
    std::string text = std::to_string(value);
    text.erase(text.find_last_not_of('0') + 1);
    if (text.back() == '.') text.pop_back();
    return text;
  }

  const toml::table* table_;
  std::string name_;
  const std::string& path_;
  InputProblems& problems_;
};

constexpr double kAny = std::numeric_limits<double>::max();

void ReadSimulation(SettingsTable simulation, RunSettings& run) {
  simulation.CheckKeys({"scenarios", "tail", "seed"});
  if (auto v = simulation.Integer("scenarios", 1, std::numeric_limits<std::int32_t>::max())) run.scenarios = static_cast<std::int32_t>(*v);
  if (auto v = simulation.Integer("tail", 1, 32767)) run.tail = static_cast<std::int32_t>(*v);
  if (auto v = simulation.Integer("seed", 0, std::numeric_limits<std::uint32_t>::max())) run.seed = static_cast<std::uint32_t>(*v);
}

void ReadVolatility(SettingsTable volatility, RunSettings& run) {
  volatility.CheckKeys({"spread", "market1", "market2"});
  if (auto v = volatility.Number("spread", 0, kAny)) run.spreadVolatility = *v;
  if (auto v = volatility.Number("market1", 0, kAny)) run.market1Volatility = *v;
  if (auto v = volatility.Number("market2", 0, kAny)) run.market2Volatility = *v;
}

void ReadRecovery(SettingsTable recovery, RunSettings& run) {
  recovery.CheckKeys({"mean_a", "mean_b"});
  recovery.RequireKey("mean_a");
  recovery.RequireKey("mean_b");
  if (auto v = recovery.Number("mean_a", 0, 1)) run.recoveryMeanA = *v;
  if (auto v = recovery.Number("mean_b", 0, 1)) run.recoveryMeanB = *v;
}

void ReadFiles(SettingsTable files, PortfolioSettings& settings) {
  files.CheckKeys({"issuers", "assets", "spreads", "transition", "thresholds", "correlation"});
  if (auto v = files.String("issuers")) settings.issuersFile = *v;
  if (auto v = files.String("assets")) settings.assetsFile = *v;
  if (auto v = files.String("spreads")) settings.spreadsFile = *v;
  if (auto v = files.String("transition")) settings.transitionFile = *v;
  if (auto v = files.String("thresholds")) settings.thresholdsFile = *v;
  if (auto v = files.String("correlation")) settings.correlationFile = *v;
}

void ReadMigration(SettingsTable migration, PortfolioSettings& settings, const std::string& path,
                   InputProblems& problems) {
  migration.CheckKeys({"unit", "row_tolerance"});
  if (auto unit = migration.String("unit")) {
    if (*unit == "percent" || *unit == "probability") {
      settings.transitionInPercent = *unit == "percent";
    } else {
      problems.Add(path, migration.Line(), "[migration] unit must be \"percent\" or \"probability\"");
    }
  }
  if (auto v = migration.Number("row_tolerance", 0, 0.1)) settings.rowSumTolerance = *v;
}

void ReadCorrelationModel(SettingsTable correlation, PortfolioSettings& settings) {
  if (!correlation.Exists()) return;
  correlation.CheckKeys({"within_sector", "between_sectors", "pairs"});
  correlation.RequireKey("within_sector");
  correlation.RequireKey("between_sectors");
  SectorCorrelation model;
  model.line = correlation.Line();
  if (auto v = correlation.Number("within_sector", -1, 1)) model.withinSector = *v;
  if (auto v = correlation.Number("between_sectors", -1, 1)) model.betweenSectors = *v;
  if (auto v = correlation.String("pairs")) model.pairsFile = *v;
  settings.sectors = model;
}

const toml::table* Subtable(const toml::table& root, const char* name, const std::string& path,
                            InputProblems& problems) {
  const toml::node* node = root.get(name);
  if (node && !node->is_table()) {
    problems.Add(path, node->source().begin.line, std::string(name) + " must be a table ([" + name + "])");
    return nullptr;
  }
  return node ? node->as_table() : nullptr;
}

void CheckSources(PortfolioSettings& settings, const std::string& path, InputProblems& problems) {
  if (settings.transitionFile.empty() == settings.thresholdsFile.empty()) {
    problems.Add(path, 0, "[files] needs exactly one of transition (a transition matrix) and thresholds");
  }
  if (settings.correlationFile.empty() == !settings.sectors.has_value()) {
    problems.Add(path, 0, "give the correlation either as [files] correlation (a matrix) or as a [correlation] "
                          "sector model, exactly one of the two");
  }
}

}  // namespace

PortfolioSettings ReadSettingsFile(const std::string& path, InputProblems& problems) {
  PortfolioSettings settings;
  toml::table root;
  try {
    root = toml::parse_file(path);
  } catch (const toml::parse_error& error) {
    const std::string description(error.description());
    if (description.find("could not be opened") != std::string::npos || description.find("File could not") != std::string::npos) {
      problems.Add(path, 0, "cannot open the settings file");
    } else {
      problems.Add(path, error.source().begin.line, description);
    }
    return settings;
  }
  for (const auto& [key, node] : root) {
    static const std::set<std::string> known = {"simulation", "volatility", "recovery", "files", "migration", "correlation"};
    if (!known.count(std::string(key.str()))) {
      problems.Add(path, node.source().begin.line, "unknown setting '" + std::string(key.str()) + "'");
    }
  }
  const auto table = [&](const char* name) {
    return SettingsTable(Subtable(root, name, path, problems), name, path, problems);
  };
  ReadSimulation(table("simulation"), settings.run);
  ReadVolatility(table("volatility"), settings.run);
  if (!root.contains("recovery")) problems.Add(path, 0, "a [recovery] table with mean_a and mean_b is needed");
  ReadRecovery(table("recovery"), settings.run);
  ReadFiles(table("files"), settings);
  ReadMigration(table("migration"), settings, path, problems);
  ReadCorrelationModel(table("correlation"), settings);
  CheckSources(settings, path, problems);
  return settings;
}

}  // namespace creditsim::cli
