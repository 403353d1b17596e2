#include "portfolio/migration_table.hpp"

#include <cmath>
#include <optional>

#include "portfolio/csv_table.hpp"
#include "portfolio/field_values.hpp"

namespace creditsim::cli {
namespace {

constexpr std::array<CsvColumn, 9> kTransitionColumnNames = {
    {{"from", true}, {"AAA", true}, {"AA", true}, {"A", true}, {"BBB", true}, {"BB", true}, {"B", true},
     {"CCC", true}, {"D", true}}};
constexpr std::array<CsvColumn, 8> kThresholdColumnNames = {
    {{"from", true}, {"AAA", true}, {"AA", true}, {"A", true}, {"BBB", true}, {"BB", true}, {"B", true},
     {"CCC", true}}};

// The current grade a row stands for, once each; nothing when the row is bad.
std::optional<int> RowGrade(const CsvRow& row, std::array<bool, kGrades + 1>& seen, const std::string& path,
                            InputProblems& problems) {
  const auto grade = ParseGradeOrDefault(row.fields[0]);
  if (!grade || *grade > kGrades) {
    problems.Add(path, row.line, "'" + row.fields[0] + "' is not a current grade (AAA ... CCC or 1 ... 7)");
    return std::nullopt;
  }
  if (seen[*grade]) {
    problems.Add(path, row.line, std::string("duplicate row for grade ") + RatingName(*grade));
    return std::nullopt;
  }
  seen[*grade] = true;
  return grade;
}

// The value of column `c`, scaled, in [0, 1]; records a problem otherwise.
std::optional<double> Probability(const CsvRow& row, std::size_t c, double divisor, const char* column,
                                  const std::string& path, InputProblems& problems) {
  const auto value = ParseNumber(row.fields[c]);
  if (!value || *value < 0 || *value / divisor > 1) {
    problems.Add(path, row.line, std::string("column ") + column + ": '" + row.fields[c] +
                                     "' is not a probability" + (divisor == 100 ? " in percent (0 ... 100)" : " (0 ... 1)"));
    return std::nullopt;
  }
  return *value / divisor;
}

void ReportMissingGrades(const std::array<bool, kGrades + 1>& seen, const std::string& path, InputProblems& problems) {
  for (int grade = 1; grade <= kGrades; ++grade) {
    if (!seen[grade]) problems.Add(path, 0, std::string("no row for grade ") + RatingName(grade));
  }
}

}  // namespace

std::array<double, 49> ThresholdsFromTransition(const std::vector<TransitionRow>& rows) {
  std::array<double, 49> thresholds{};
  for (int r = 1; r <= kGrades; ++r) {
    const TransitionRow& p = rows[r - 1];
    double worse = p[kGrades];  // default
    for (int k = kGrades; k >= 1; --k) {
      thresholds[(k - 1) * kGrades + (r - 1)] = worse;
      if (k > 1) worse = worse + p[k - 1];
    }
  }
  return thresholds;
}

std::vector<TransitionRow> ReadTransitionMatrix(const std::string& path, bool inPercent, double tolerance,
                                                InputProblems& problems) {
  std::vector<TransitionRow> rows(kGrades);
  std::array<bool, kGrades + 1> seen{};
  const double divisor = inPercent ? 100 : 1;
  const std::size_t earlierProblems = problems.Count();
  for (const CsvRow& row : ReadCsvTable(path, kTransitionColumnNames, problems)) {
    const auto grade = RowGrade(row, seen, path, problems);
    if (!grade) continue;
    TransitionRow& probabilities = rows[*grade - 1];
    bool valid = true;
    double sum = 0;
    for (std::size_t c = 1; c <= kTransitionColumns; ++c) {
      const auto p = Probability(row, c, divisor, kTransitionColumnNames[c].name, path, problems);
      valid = valid && p.has_value();
      probabilities[c - 1] = p.value_or(0);
      sum = sum + probabilities[c - 1];
    }
    if (valid && std::fabs(sum - 1) > tolerance) {
      problems.Add(path, row.line, std::string("the row of ") + RatingName(*grade) + " sums to " +
                                       ShortNumber(sum * divisor) + (inPercent ? " %" : "") +
                                       ", not " + (inPercent ? "100" : "1") + " within " +
                                       ShortNumber(tolerance * divisor));
    }
  }
  if (problems.Count() == earlierProblems) ReportMissingGrades(seen, path, problems);
  return rows;
}

std::array<double, 49> ReadThresholdTable(const std::string& path, InputProblems& problems) {
  std::array<double, 49> thresholds{};
  std::array<bool, kGrades + 1> seen{};
  const std::size_t earlierProblems = problems.Count();
  for (const CsvRow& row : ReadCsvTable(path, kThresholdColumnNames, problems)) {
    const auto grade = RowGrade(row, seen, path, problems);
    if (!grade) continue;
    for (int k = 1; k <= kGrades; ++k) {
      const auto t = Probability(row, k, 1, kThresholdColumnNames[k].name, path, problems);
      thresholds[(k - 1) * kGrades + (*grade - 1)] = t.value_or(0);
    }
  }
  if (problems.Count() == earlierProblems) ReportMissingGrades(seen, path, problems);
  return thresholds;
}

}  // namespace creditsim::cli
