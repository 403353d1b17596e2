// The values a portfolio's cells may hold: numbers, rating grades by letter
// or number, asset kinds by name or code. Each parser returns nothing when
// the text is not a value of its kind, and the caller words the problem.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace creditsim::cli {

// A finite decimal number, the whole text.
std::optional<double> ParseNumber(std::string_view text);
// A whole number in [low, high], the whole text.
std::optional<long long> ParseInteger(std::string_view text, long long low, long long high);

// "AAA" ... "CCC" or "1" ... "7" give 1 ... 7; "inactive" or "0" give 0.
std::optional<std::int16_t> ParseRating(std::string_view text);
// Column of a transition or threshold table: "AAA" ... "CCC" or "1" ... "7"
// give 1 ... 7, "D" or "default" gives 8.
std::optional<int> ParseGradeOrDefault(std::string_view text);
// The grade letters, index 1 ... 7 (0 is "inactive", 8 "D").
const char* RatingName(int rating);

// A credit class by name (senior, subordinated, loan, secured), a market
// factor (market1, market2), or a raw kind code -32768 ... 32767.
std::optional<std::int16_t> ParseAssetKind(std::string_view text);
// A kind's name when it has one ("senior", "market1"), else "kind N".
std::string KindName(std::int16_t kind);
// Spread class names in column-offset order (offsets 0, 8, 16, 24).
const char* SpreadClassName(int classIndex);
std::optional<int> ParseSpreadClass(std::string_view text);
// The class index 0 ... 3 a credit kind prices in.
int SpreadClassOfKind(std::int16_t kind);

// A number for a message: up to six significant digits, no trailing zeros.
std::string ShortNumber(double value);

// A tenor label: "5", "5y" or "5Y" give 5 years; "6m" gives 0.5.
std::optional<double> ParseTenor(std::string_view text);

}  // namespace creditsim::cli
