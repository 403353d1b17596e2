#include "portfolio/asset_table.hpp"

#include <optional>
#include <unordered_set>

#include "portfolio/csv_table.hpp"
#include "portfolio/field_values.hpp"
#include "portfolio/spread_curves.hpp"

namespace creditsim::cli {
namespace {

enum AssetColumn { kId, kIssuer, kKind, kFace, kValue, kSpread, kDuration, kMaturity, kTenorLow, kTenorHigh, kTenorWeight };
constexpr std::array<CsvColumn, 11> kAssetColumns = {{{"id", true},
                                                      {"issuer", true},
                                                      {"kind", true},
                                                      {"face", false},
                                                      {"value", true},
                                                      {"spread", false},
                                                      {"duration", false},
                                                      {"maturity", false},
                                                      {"tenor_low", false},
                                                      {"tenor_high", false},
                                                      {"tenor_weight", false}}};
// Asset positions are 16-bit in the simulation.
constexpr std::size_t kMaxAssets = 32767;

bool IsMarketKind(std::int16_t kind) { return kind == kMarket1Kind || kind == kMarket2Kind; }

// Checks one row's cells and fills one asset, recording every problem.
class AssetRow {
 public:
  AssetRow(const CsvRow& row, const std::string& path, InputProblems& problems)
      : row_(row), path_(path), problems_(problems) {}

  bool Valid() const { return valid_; }
  void Problem(const std::string& what) {
    problems_.Add(path_, row_.line, what);
    valid_ = false;
  }
  const std::string& Cell(AssetColumn c) const { return row_.fields[c]; }
  bool Given(AssetColumn c) const { return row_.present[c] && !row_.fields[c].empty(); }

  // A number >= 0 in column `c`, or a problem naming the column.
  double NonNegative(AssetColumn c) {
    const auto value = ParseNumber(Cell(c));
    if (!Given(c)) {
      Problem(std::string("missing ") + kAssetColumns[c].name);
    } else if (!value) {
      Problem(std::string(kAssetColumns[c].name) + " '" + Cell(c) + "' is not a number");
    } else if (*value < 0) {
      Problem(std::string("negative ") + kAssetColumns[c].name + " " + Cell(c));
    }
    return value.value_or(0);
  }

 private:
  const CsvRow& row_;
  const std::string& path_;
  InputProblems& problems_;
  bool valid_ = true;
};

void PlaceOnGrid(AssetRow& row, Asset& asset, const std::vector<double>& tenors) {
  if (row.Given(kMaturity)) {
    const auto maturity = ParseNumber(row.Cell(kMaturity));
    if (!maturity) {
      row.Problem("maturity '" + row.Cell(kMaturity) + "' is not a number of years");
    } else if (const auto position = LocateMaturity(tenors, *maturity)) {
      asset.tenorLow = position->low;
      asset.tenorHigh = position->high;
      asset.tenorWeight = position->weight;
    } else if (!tenors.empty()) {
      row.Problem("maturity " + row.Cell(kMaturity) + " years is outside the tenor grid (" + ShortNumber(tenors.front()) +
                  " to " + ShortNumber(tenors.back()) + " years)");
    }
    return;
  }
  if (!row.Given(kTenorLow) || !row.Given(kTenorHigh) || !row.Given(kTenorWeight)) {
    row.Problem("give a maturity, or tenor_low, tenor_high and tenor_weight");
    return;
  }
  const long long lastRow = static_cast<long long>(tenors.size()) - 1;
  const auto low = ParseInteger(row.Cell(kTenorLow), 0, lastRow);
  const auto high = ParseInteger(row.Cell(kTenorHigh), 0, lastRow);
  const auto weight = ParseNumber(row.Cell(kTenorWeight));
  if (!low || !high) row.Problem("tenor rows must be 0 ... " + std::to_string(lastRow) + " (rows of the tenor grid)");
  if (!weight) row.Problem("tenor_weight '" + row.Cell(kTenorWeight) + "' is not a number");
  asset.tenorLow = static_cast<std::int16_t>(low.value_or(0));
  asset.tenorHigh = static_cast<std::int16_t>(high.value_or(0));
  asset.tenorWeight = weight.value_or(0);
}

void ReadCreditTerms(AssetRow& row, Asset& asset, const std::vector<double>& tenors) {
  asset.face = row.NonNegative(kFace);
  asset.spread = row.NonNegative(kSpread);
  asset.duration = row.NonNegative(kDuration);
  PlaceOnGrid(row, asset, tenors);
  if (asset.issuerId.empty()) row.Problem("a credit position needs an issuer");
}

}  // namespace

std::vector<Asset> ReadAssetTable(const std::string& path, const IssuerIndex& issuers,
                                  const std::vector<double>& tenors, InputProblems& problems) {
  std::vector<Asset> assets;
  std::unordered_set<std::string> ids;
  for (const CsvRow& csvRow : ReadCsvTable(path, kAssetColumns, problems)) {
    AssetRow row(csvRow, path, problems);
    Asset asset;
    asset.id = row.Cell(kId);
    asset.issuerId = row.Cell(kIssuer);
    if (asset.id.empty()) row.Problem("empty asset id");
    if (!asset.id.empty() && !ids.insert(asset.id).second) row.Problem("duplicate asset id '" + asset.id + "'");
    if (!asset.issuerId.empty()) {
      const auto found = issuers.find(asset.issuerId);
      if (found == issuers.end()) {
        row.Problem("unknown issuer id '" + asset.issuerId + "'");
      } else {
        asset.issuerIndex = found->second;
      }
    }
    const auto kind = ParseAssetKind(row.Cell(kKind));
    if (!kind) row.Problem("kind '" + row.Cell(kKind) + "' is not senior, subordinated, loan, secured, market1, market2 or a kind code");
    asset.kind = kind.value_or(1);
    asset.value = row.NonNegative(kValue);
    if (kind && !IsMarketKind(*kind)) ReadCreditTerms(row, asset, tenors);
    if (!row.Valid()) continue;
    if (assets.size() == kMaxAssets) {
      problems.Add(path, csvRow.line, "more than 32767 assets");
      break;
    }
    assets.push_back(std::move(asset));
  }
  return assets;
}

}  // namespace creditsim::cli
