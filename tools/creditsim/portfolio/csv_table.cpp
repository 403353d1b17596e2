#include "portfolio/csv_table.hpp"

#include <cstring>

namespace creditsim::cli {
namespace detail {

void ReportCsvError(const io::error::base& error, const std::string& file, std::size_t line,
                    InputProblems& problems) {
  if (dynamic_cast<const io::error::can_not_open_file*>(&error)) {
    problems.Add(file, 0, "cannot open the file");
  } else if (dynamic_cast<const io::error::too_few_columns*>(&error)) {
    problems.Add(file, line, "too few fields for the header's columns");
  } else if (dynamic_cast<const io::error::too_many_columns*>(&error)) {
    problems.Add(file, line, "more fields than the header has columns");
  } else if (dynamic_cast<const io::error::header_missing*>(&error)) {
    problems.Add(file, 0, "the file is empty: a header line is needed");
  } else if (dynamic_cast<const io::error::duplicated_column_in_header*>(&error)) {
    problems.Add(file, line > 0 ? line : 1, "a column appears twice in the header");
  } else {
    problems.Add(file, line, error.what());
  }
}

}  // namespace detail

namespace {

std::string Trim(const std::string& text) {
  const auto begin = text.find_first_not_of(" \t\r");
  if (begin == std::string::npos) return "";
  const auto end = text.find_last_not_of(" \t\r");
  return text.substr(begin, end - begin + 1);
}

std::vector<std::string> SplitFields(const char* line) {
  std::vector<std::string> fields;
  const char* start = line;
  for (const char* p = line;; ++p) {
    if (*p == ',' || *p == '\0') {
      fields.push_back(Trim(std::string(start, p)));
      if (*p == '\0') break;
      start = p + 1;
    }
  }
  return fields;
}

bool IsSkippedLine(const char* line) {
  while (*line == ' ' || *line == '\t' || *line == '\r') ++line;
  return *line == '\0' || *line == '#';
}

}  // namespace

WideTable ReadWideTable(const std::string& path, InputProblems& problems) {
  WideTable table;
  try {
    io::LineReader reader(path);
    while (const char* line = reader.next_line()) {
      if (IsSkippedLine(line)) continue;
      std::vector<std::string> fields = SplitFields(line);
      if (table.header.empty()) {
        table.header = std::move(fields);
        table.headerLine = reader.get_file_line();
        continue;
      }
      if (fields.size() != table.header.size()) {
        problems.Add(path, reader.get_file_line(),
                     std::to_string(fields.size()) + " fields where the header has " +
                         std::to_string(table.header.size()));
        continue;
      }
      table.rows.push_back(CsvRow{reader.get_file_line(), std::move(fields), {}});
    }
    if (table.header.empty()) problems.Add(path, 0, "the file is empty: a header line is needed");
  } catch (const io::error::base& error) {
    detail::ReportCsvError(error, path, 0, problems);
  }
  return table;
}

}  // namespace creditsim::cli
