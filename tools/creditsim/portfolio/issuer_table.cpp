#include "portfolio/issuer_table.hpp"

#include "portfolio/csv_table.hpp"
#include "portfolio/field_values.hpp"

namespace creditsim::cli {
namespace {

enum IssuerColumn { kId, kRating, kSector };
constexpr std::array<CsvColumn, 3> kIssuerColumns = {{{"id", true}, {"rating", true}, {"sector", false}}};
// Issuer positions are 16-bit in the simulation.
constexpr std::size_t kMaxIssuers = 32767;

}  // namespace

std::vector<Issuer> ReadIssuerTable(const std::string& path, IssuerIndex& index, InputProblems& problems) {
  std::vector<Issuer> issuers;
  for (const CsvRow& row : ReadCsvTable(path, kIssuerColumns, problems)) {
    Issuer issuer{row.fields[kId], 0, row.fields[kSector]};
    if (issuer.id.empty()) {
      problems.Add(path, row.line, "empty issuer id");
      continue;
    }
    if (const auto rating = ParseRating(row.fields[kRating])) {
      issuer.rating = *rating;
    } else {
      problems.Add(path, row.line, "rating '" + row.fields[kRating] +
                                       "' is not a grade (AAA, AA, A, BBB, BB, B, CCC or 1 ... 7) or 'inactive'");
    }
    if (index.count(issuer.id)) {
      problems.Add(path, row.line, "duplicate issuer id '" + issuer.id + "'");
      continue;
    }
    if (issuers.size() == kMaxIssuers) {
      problems.Add(path, row.line, "more than 32767 issuers");
      break;
    }
    index.emplace(issuer.id, static_cast<std::int16_t>(issuers.size()));
    issuers.push_back(std::move(issuer));
  }
  if (issuers.empty() && problems.Empty()) problems.Add(path, 0, "no issuers: at least one is needed");
  return issuers;
}

}  // namespace creditsim::cli
