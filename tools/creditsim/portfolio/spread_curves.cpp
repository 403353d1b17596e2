#include "portfolio/spread_curves.hpp"

#include <array>

#include "portfolio/csv_table.hpp"
#include "portfolio/field_values.hpp"
#include "portfolio/portfolio.hpp"

namespace creditsim::cli {
namespace {

constexpr int kRowWidth = 33;
constexpr int kLeadingColumns = 2;  // class, grade

std::vector<double> ReadTenorGrid(const WideTable& table, const std::string& path, InputProblems& problems) {
  std::vector<double> tenors;
  if (table.header.size() < kLeadingColumns + 1 || table.header[0] != "class" || table.header[1] != "grade") {
    problems.Add(path, table.headerLine, "the header must be class,grade followed by the tenors (1y,2y,...)");
    return tenors;
  }
  for (std::size_t c = kLeadingColumns; c < table.header.size(); ++c) {
    const auto tenor = ParseTenor(table.header[c]);
    if (!tenor) {
      problems.Add(path, table.headerLine, "'" + table.header[c] + "' is not a tenor (years, e.g. 5y)");
    } else if (!tenors.empty() && *tenor <= tenors.back()) {
      problems.Add(path, table.headerLine, "tenors must increase from left to right ('" + table.header[c] + "')");
    }
    tenors.push_back(tenor.value_or(0));
  }
  if (tenors.size() > 32767) problems.Add(path, table.headerLine, "more than 32767 tenors");
  return tenors;
}

}  // namespace

SpreadCurves ReadSpreadCurves(const std::string& path, InputProblems& problems) {
  SpreadCurves curves;
  const std::size_t earlierProblems = problems.Count();
  const WideTable table = ReadWideTable(path, problems);
  if (table.header.empty()) return curves;
  curves.tenors = ReadTenorGrid(table, path, problems);
  if (problems.Count() != earlierProblems) return curves;
  curves.spreadTable.assign(curves.tenors.size() * kRowWidth, 0.0);
  std::array<std::array<bool, kGrades + 1>, kSpreadClasses> seen{};
  for (const CsvRow& row : table.rows) {
    const auto spreadClass = ParseSpreadClass(row.fields[0]);
    const auto grade = ParseRating(row.fields[1]);
    if (!spreadClass) {
      problems.Add(path, row.line, "'" + row.fields[0] + "' is not a spread class (senior, subordinated, loan, secured)");
      continue;
    }
    if (!grade || *grade == 0) {
      problems.Add(path, row.line, "'" + row.fields[1] + "' is not a grade (AAA ... CCC or 1 ... 7)");
      continue;
    }
    if (seen[*spreadClass][*grade]) {
      problems.Add(path, row.line, std::string("duplicate curve for ") + row.fields[0] + " " + RatingName(*grade));
      continue;
    }
    seen[*spreadClass][*grade] = true;
    const int column = *spreadClass * 8 + *grade;
    for (std::size_t t = 0; t < curves.tenors.size(); ++t) {
      const auto spread = ParseNumber(row.fields[kLeadingColumns + t]);
      if (!spread || *spread < 0) {
        problems.Add(path, row.line, "spread '" + row.fields[kLeadingColumns + t] + "' at " + table.header[kLeadingColumns + t] +
                                         " is not a number of basis points >= 0");
        continue;
      }
      curves.spreadTable[t * kRowWidth + column] = *spread;
    }
  }
  for (int c = 0; c < kSpreadClasses; ++c) {
    for (int grade = 1; grade <= kGrades; ++grade) {
      if (!seen[c][grade]) {
        problems.Add(path, 0, std::string("no curve for ") + SpreadClassName(c) + " " + RatingName(grade));
      }
    }
  }
  return curves;
}

std::optional<TenorPosition> LocateMaturity(const std::vector<double>& tenors, double maturity) {
  if (tenors.empty() || !(maturity >= tenors.front()) || !(maturity <= tenors.back())) return std::nullopt;
  for (std::size_t i = 0; i < tenors.size(); ++i) {
    const auto row = static_cast<std::int16_t>(i);
    if (maturity == tenors[i]) return TenorPosition{row, row, 0.0};
    if (maturity < tenors[i + 1]) {
      return TenorPosition{row, static_cast<std::int16_t>(i + 1), (maturity - tenors[i]) / (tenors[i + 1] - tenors[i])};
    }
  }
  return std::nullopt;
}

}  // namespace creditsim::cli
