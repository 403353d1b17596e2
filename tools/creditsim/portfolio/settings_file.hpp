// portfolio.toml: the run settings, where the tables are, and how the
// correlation and migration inputs are given. Every key is checked (an
// unknown key is reported, since a misspelt optional key would otherwise be
// silently ignored) and every problem names its line.
#pragma once

#include <optional>
#include <string>

#include "portfolio/input_problems.hpp"
#include "portfolio/portfolio.hpp"

namespace creditsim::cli {

inline constexpr const char* kSettingsFileName = "portfolio.toml";

// The sector correlation model: one correlation within each sector, one
// between sectors, and optionally a table of sector pairs overriding both.
struct SectorCorrelation {
  double withinSector = 0;
  double betweenSectors = 0;
  std::string pairsFile;  // empty: no pair table
  std::size_t line = 0;   // of the [correlation] table, for messages
};

struct PortfolioSettings {
  RunSettings run;
  std::string issuersFile = "issuers.csv";
  std::string assetsFile = "assets.csv";
  std::string spreadsFile = "spreads.csv";
  std::string transitionFile;  // exactly one of transition and thresholds
  std::string thresholdsFile;
  std::string correlationFile;              // a full matrix, or ...
  std::optional<SectorCorrelation> sectors;  // ... the sector model
  bool transitionInPercent = true;
  double rowSumTolerance = 0.0005;  // in probability
};

// Reads DIRECTORY/portfolio.toml; problems go to `problems` and the
// returned settings then keep defaults where a value was wrong.
PortfolioSettings ReadSettingsFile(const std::string& path, InputProblems& problems);

}  // namespace creditsim::cli
