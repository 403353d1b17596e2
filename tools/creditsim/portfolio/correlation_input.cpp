#include "portfolio/correlation_input.hpp"

#include <cmath>
#include <map>
#include <set>

#include "portfolio/csv_table.hpp"
#include "portfolio/field_values.hpp"

namespace creditsim::cli {
namespace {

// Mirrored entries may differ by rounding in an exported sheet, no more.
constexpr double kSymmetryTolerance = 1e-9;
// A pivot this small means the matrix is singular for practical purposes:
// the factor would amplify rounding beyond any meaning.
constexpr double kSmallestPivot = 1e-12;

// Column position of each issuer in the header; problems for unknown,
// duplicate and missing ids.
std::vector<std::size_t> HeaderOrder(const WideTable& table, const IssuerIndex& index, std::size_t n,
                                     const std::string& path, InputProblems& problems) {
  std::vector<std::size_t> columnOfIssuer(n, 0);
  std::vector<bool> seen(n, false);
  for (std::size_t c = 1; c < table.header.size(); ++c) {
    const auto found = index.find(table.header[c]);
    if (found == index.end()) {
      problems.Add(path, table.headerLine, "unknown issuer id '" + table.header[c] + "' in the header");
    } else if (seen[found->second]) {
      problems.Add(path, table.headerLine, "duplicate issuer id '" + table.header[c] + "' in the header");
    } else {
      seen[found->second] = true;
      columnOfIssuer[found->second] = c;
    }
  }
  for (std::size_t i = 0; i < n; ++i) {
    if (!seen[i]) problems.Add(path, table.headerLine, "no column for an issuer of issuers.csv");
  }
  return columnOfIssuer;
}

void CheckSymmetry(const std::vector<double>& matrix, std::size_t n, const std::vector<std::size_t>& lineOfIssuer,
                   const std::vector<Issuer>& issuers, const std::string& path, InputProblems& problems) {
  for (std::size_t i = 0; i < n; ++i) {
    if (matrix[i * n + i] != 1) problems.Add(path, lineOfIssuer[i], "the diagonal entry of '" + issuers[i].id + "' is not 1");
    for (std::size_t k = i + 1; k < n; ++k) {
      if (std::fabs(matrix[i * n + k] - matrix[k * n + i]) > kSymmetryTolerance) {
        problems.Add(path, lineOfIssuer[k], "not symmetric: '" + issuers[k].id + "','" + issuers[i].id +
                                                "' differs from '" + issuers[i].id + "','" + issuers[k].id + "'");
      }
    }
  }
}

}  // namespace

std::vector<double> ReadCorrelationMatrix(const std::string& path, const std::vector<Issuer>& issuers,
                                          const IssuerIndex& index, InputProblems& problems) {
  const std::size_t n = issuers.size();
  std::vector<double> matrix(n * n, 0.0);
  const std::size_t earlierProblems = problems.Count();
  const WideTable table = ReadWideTable(path, problems);
  if (table.header.empty()) return matrix;
  const std::vector<std::size_t> columnOfIssuer = HeaderOrder(table, index, n, path, problems);
  if (problems.Count() != earlierProblems) return matrix;
  std::vector<std::size_t> lineOfIssuer(n, 0);
  for (const CsvRow& row : table.rows) {
    const auto found = index.find(row.fields[0]);
    if (found == index.end()) {
      problems.Add(path, row.line, "unknown issuer id '" + row.fields[0] + "'");
      continue;
    }
    const std::size_t i = found->second;
    if (lineOfIssuer[i] != 0) {
      problems.Add(path, row.line, "duplicate row for issuer '" + row.fields[0] + "'");
      continue;
    }
    lineOfIssuer[i] = row.line;
    for (std::size_t k = 0; k < n; ++k) {
      const std::string& cell = row.fields[columnOfIssuer[k]];
      const auto value = ParseNumber(cell);
      if (!value || *value < -1 || *value > 1) {
        problems.Add(path, row.line, "correlation '" + cell + "' with '" + issuers[k].id + "' is not a number in [-1, 1]");
      }
      matrix[i * n + k] = value.value_or(0);
    }
  }
  for (std::size_t i = 0; i < n; ++i) {
    if (lineOfIssuer[i] == 0) problems.Add(path, 0, "no row for issuer '" + issuers[i].id + "'");
  }
  if (problems.Count() != earlierProblems) return matrix;
  CheckSymmetry(matrix, n, lineOfIssuer, issuers, path, problems);
  if (problems.Count() != earlierProblems) return matrix;
  if (const auto pivot = FirstNonPositivePivot(matrix, n)) {
    problems.Add(path, lineOfIssuer[*pivot], "the correlation matrix is not positive definite (it fails at issuer '" +
                                                 issuers[*pivot].id + "')");
  }
  return matrix;
}

namespace {

using SectorPair = std::pair<std::string, std::string>;

std::map<SectorPair, double> ReadSectorPairs(const std::string& path, const std::set<std::string>& sectors,
                                             InputProblems& problems) {
  constexpr std::array<CsvColumn, 3> kPairColumns = {{{"sector_a", true}, {"sector_b", true}, {"correlation", true}}};
  std::map<SectorPair, double> pairs;
  for (const CsvRow& row : ReadCsvTable(path, kPairColumns, problems)) {
    bool valid = true;
    for (int c = 0; c < 2; ++c) {
      if (!sectors.count(row.fields[c])) {
        problems.Add(path, row.line, "unknown sector '" + row.fields[c] + "' (no issuer has it)");
        valid = false;
      }
    }
    const auto value = ParseNumber(row.fields[2]);
    if (!value || *value < -1 || *value > 1) {
      problems.Add(path, row.line, "correlation '" + row.fields[2] + "' is not a number in [-1, 1]");
      valid = false;
    }
    if (!valid) continue;
    const SectorPair key = std::minmax(row.fields[0], row.fields[1]);
    if (pairs.count(key)) {
      problems.Add(path, row.line, "duplicate sector pair '" + row.fields[0] + "','" + row.fields[1] + "'");
      continue;
    }
    pairs[key] = *value;
  }
  return pairs;
}

}  // namespace

std::vector<double> ExpandSectorModel(const SectorCorrelation& model, const std::string& pairsPath,
                                      const std::vector<Issuer>& issuers, const std::string& issuersPath,
                                      InputProblems& problems) {
  const std::size_t n = issuers.size();
  std::vector<double> matrix(n * n, 0.0);
  std::set<std::string> sectors;
  for (const Issuer& issuer : issuers) sectors.insert(issuer.sector);
  if (sectors.count("")) {
    problems.Add(issuersPath, 0, "the sector correlation model needs a sector for every issuer (column 'sector')");
    return matrix;
  }
  const std::map<SectorPair, double> pairs =
      model.pairsFile.empty() ? std::map<SectorPair, double>{} : ReadSectorPairs(pairsPath, sectors, problems);
  for (std::size_t i = 0; i < n; ++i) {
    for (std::size_t k = 0; k < n; ++k) {
      const auto pair = pairs.find(std::minmax(issuers[i].sector, issuers[k].sector));
      const double base = issuers[i].sector == issuers[k].sector ? model.withinSector : model.betweenSectors;
      matrix[i * n + k] = i == k ? 1.0 : (pair != pairs.end() ? pair->second : base);
    }
  }
  return matrix;
}

std::optional<std::size_t> FirstNonPositivePivot(const std::vector<double>& matrix, std::size_t n) {
  std::vector<double> lower(n * n, 0.0);
  for (std::size_t j = 0; j < n; ++j) {
    double pivot = matrix[j * n + j];
    for (std::size_t p = 0; p < j; ++p) pivot -= lower[j * n + p] * lower[j * n + p];
    if (!(pivot > kSmallestPivot)) return j;
    const double diagonal = std::sqrt(pivot);
    lower[j * n + j] = diagonal;
    for (std::size_t i = j + 1; i < n; ++i) {
      double sum = matrix[i * n + j];
      for (std::size_t p = 0; p < j; ++p) sum -= lower[i * n + p] * lower[j * n + p];
      lower[i * n + j] = sum / diagonal;
    }
  }
  return std::nullopt;
}

}  // namespace creditsim::cli
