#include "portfolio/load_portfolio.hpp"

#include <filesystem>
#include <fstream>
#include <iterator>

#include "portfolio/asset_table.hpp"
#include "portfolio/correlation_input.hpp"
#include "portfolio/input_problems.hpp"
#include "portfolio/issuer_table.hpp"
#include "portfolio/migration_table.hpp"
#include "portfolio/settings_file.hpp"
#include "portfolio/spread_curves.hpp"

namespace creditsim::cli {
namespace {

// FNV-1a over every input byte, file after file: a short fingerprint that
// tells two runs' inputs apart in their summaries.
class InputDigest {
 public:
  void AddFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    for (std::istreambuf_iterator<char> it(in), end; it != end; ++it) {
      hash_ = (hash_ ^ static_cast<unsigned char>(*it)) * 1099511628211ull;
    }
  }
  std::uint64_t Value() const { return hash_; }

 private:
  std::uint64_t hash_ = 14695981039346656037ull;
};

std::string Join(const std::string& directory, const std::string& file) {
  return (std::filesystem::path(directory) / file).string();
}

void ReadMigration(const PortfolioSettings& settings, const std::string& directory, Portfolio& portfolio,
                   InputProblems& problems, InputDigest& digest) {
  if (!settings.transitionFile.empty()) {
    const std::string path = Join(directory, settings.transitionFile);
    portfolio.transition =
        ReadTransitionMatrix(path, settings.transitionInPercent, settings.rowSumTolerance, problems);
    portfolio.thresholds = ThresholdsFromTransition(portfolio.transition);
    digest.AddFile(path);
  } else if (!settings.thresholdsFile.empty()) {
    const std::string path = Join(directory, settings.thresholdsFile);
    portfolio.thresholds = ReadThresholdTable(path, problems);
    digest.AddFile(path);
  }
}

void ReadCorrelation(const PortfolioSettings& settings, const std::string& directory, const IssuerIndex& index,
                     Portfolio& portfolio, InputProblems& problems, InputDigest& digest) {
  if (portfolio.issuers.empty()) return;
  if (settings.sectors) {
    const std::string pairsPath = settings.sectors->pairsFile.empty() ? "" : Join(directory, settings.sectors->pairsFile);
    const std::size_t earlierProblems = problems.Count();
    portfolio.correlation = ExpandSectorModel(*settings.sectors, pairsPath, portfolio.issuers,
                                              Join(directory, settings.issuersFile), problems);
    if (!pairsPath.empty()) digest.AddFile(pairsPath);
    if (problems.Count() != earlierProblems) return;
    if (const auto pivot = FirstNonPositivePivot(portfolio.correlation, portfolio.issuers.size())) {
      problems.Add(Join(directory, kSettingsFileName), settings.sectors->line,
                   "the sector model gives a correlation matrix that is not positive definite (it fails at issuer '" +
                       portfolio.issuers[*pivot].id + "')");
    }
  } else if (!settings.correlationFile.empty()) {
    const std::string path = Join(directory, settings.correlationFile);
    portfolio.correlation = ReadCorrelationMatrix(path, portfolio.issuers, index, problems);
    digest.AddFile(path);
  }
}

}  // namespace

Portfolio LoadPortfolio(const std::string& directory) {
  InputProblems problems;
  InputDigest digest;
  Portfolio portfolio;
  portfolio.directory = directory;
  const std::string settingsPath = Join(directory, kSettingsFileName);
  if (!std::filesystem::is_directory(directory)) {
    problems.Add(directory, 0, "not a portfolio directory");
  } else if (!std::filesystem::is_regular_file(settingsPath)) {
    problems.Add(settingsPath, 0, "missing: a portfolio directory starts with its settings file");
  }
  problems.ThrowIfAny();
  const PortfolioSettings settings = ReadSettingsFile(settingsPath, problems);
  digest.AddFile(settingsPath);
  portfolio.settings = settings.run;

  IssuerIndex index;
  const std::string issuersPath = Join(directory, settings.issuersFile);
  portfolio.issuers = ReadIssuerTable(issuersPath, index, problems);
  digest.AddFile(issuersPath);
  ReadMigration(settings, directory, portfolio, problems, digest);
  ReadCorrelation(settings, directory, index, portfolio, problems, digest);

  const std::string spreadsPath = Join(directory, settings.spreadsFile);
  SpreadCurves curves = ReadSpreadCurves(spreadsPath, problems);
  digest.AddFile(spreadsPath);
  portfolio.tenors = std::move(curves.tenors);
  portfolio.spreadTable = std::move(curves.spreadTable);

  const std::string assetsPath = Join(directory, settings.assetsFile);
  portfolio.assets = ReadAssetTable(assetsPath, index, portfolio.tenors, problems);
  digest.AddFile(assetsPath);

  problems.ThrowIfAny();
  portfolio.digest = digest.Value();
  return portfolio;
}

}  // namespace creditsim::cli
