// Reading the portfolio's CSV tables. Tables with fixed columns go through
// fccp's io::CSVReader, which finds the columns by header name in any order
// and ignores extra ones; tables whose columns are data (a correlation
// matrix keyed by issuer id, a spread curve keyed by tenor) go through its
// io::LineReader and a plain comma split. Both skip blank lines and lines
// starting with '#', and keep the file line of every row for the messages.
#pragma once

#include <array>
#include <cstddef>
#include <string>
#include <tuple>
#include <vector>

// fccp copies file names with strncpy into a fixed buffer, which GCC's
// truncation check flags inside the header; the copy is bounded and safe.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wstringop-truncation"
#include <csv.h>
#pragma GCC diagnostic pop

#include "portfolio/input_problems.hpp"

namespace creditsim::cli {

struct CsvRow {
  std::size_t line = 0;
  std::vector<std::string> fields;  // in the caller's column order
  std::vector<bool> present;        // false: the column is absent from the file
};

struct CsvColumn {
  const char* name;
  bool required;
};

namespace detail {
void ReportCsvError(const io::error::base& error, const std::string& file, std::size_t line,
                    InputProblems& problems);
}  // namespace detail

// Reads a table with the given columns. A missing required column, an
// unreadable file or a malformed row becomes a problem; rows that parse are
// returned even when other rows did not.
template <std::size_t Count>
std::vector<CsvRow> ReadCsvTable(const std::string& path, const std::array<CsvColumn, Count>& columns,
                                 InputProblems& problems) {
  using Reader = io::CSVReader<Count, io::trim_chars<' ', '\t'>, io::double_quote_escape<',', '"'>,
                               io::throw_on_overflow, io::single_and_empty_line_comment<'#'>>;
  std::vector<CsvRow> rows;
  try {
    Reader reader(path);
    std::apply([&](const auto&... column) {
      reader.read_header(io::ignore_extra_column | io::ignore_missing_column, column.name...);
    }, columns);
    const std::size_t headerLine = reader.get_file_line();
    std::vector<bool> present(Count);
    bool complete = true;
    for (std::size_t c = 0; c < Count; ++c) {
      present[c] = reader.has_column(columns[c].name);
      if (!present[c] && columns[c].required) {
        problems.Add(path, headerLine, std::string("missing column '") + columns[c].name + "'");
        complete = false;
      }
    }
    if (!complete) return rows;
    for (;;) {
      std::array<char*, Count> cells{};
      try {
        const bool more = std::apply([&](auto&... cell) { return reader.read_row(cell...); }, cells);
        if (!more) break;
      } catch (const io::error::base& error) {
        detail::ReportCsvError(error, path, reader.get_file_line(), problems);
        continue;
      }
      CsvRow row{reader.get_file_line(), std::vector<std::string>(Count), present};
      for (std::size_t c = 0; c < Count; ++c) row.fields[c] = cells[c] ? cells[c] : "";
      rows.push_back(std::move(row));
    }
  } catch (const io::error::base& error) {
    detail::ReportCsvError(error, path, 0, problems);
  }
  return rows;
}

// A table whose header names are data: every row as its trimmed fields,
// the header first. Quotes are not interpreted.
struct WideTable {
  std::vector<std::string> header;
  std::size_t headerLine = 0;
  std::vector<CsvRow> rows;
};
WideTable ReadWideTable(const std::string& path, InputProblems& problems);

}  // namespace creditsim::cli
