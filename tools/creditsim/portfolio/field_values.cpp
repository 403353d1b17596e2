#include "portfolio/field_values.hpp"

#include <array>
#include <charconv>
#include <cmath>
#include <cstdio>

#include "portfolio/portfolio.hpp"

namespace creditsim::cli {
namespace {

constexpr std::array<const char*, 9> kRatingNames = {"inactive", "AAA", "AA", "A", "BBB", "BB", "B", "CCC", "D"};

// The asset kind code each named class stands for. The codes are the first
// of each class's range, so that a named asset and one given by code price
// and recover alike: senior, subordinated and loan recover with mean A,
// secured with mean B.
struct NamedKind {
  const char* name;
  std::int16_t kind;
};
constexpr std::array<NamedKind, 6> kNamedKinds = {{{"senior", 1},
                                                    {"subordinated", 8},
                                                    {"loan", 16},
                                                    {"secured", 24},
                                                    {"market1", kMarket1Kind},
                                                    {"market2", kMarket2Kind}}};

bool EqualsIgnoringCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    const auto lower = [](char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; };
    if (lower(a[i]) != lower(b[i])) return false;
  }
  return true;
}

}  // namespace

std::optional<double> ParseNumber(std::string_view text) {
  if (!text.empty() && text.front() == '+') text.remove_prefix(1);
  double value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (text.empty() || error != std::errc() || end != text.data() + text.size() || !std::isfinite(value)) {
    return std::nullopt;
  }
  return value;
}

std::optional<long long> ParseInteger(std::string_view text, long long low, long long high) {
  if (!text.empty() && text.front() == '+') text.remove_prefix(1);
  long long value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (text.empty() || error != std::errc() || end != text.data() + text.size() || value < low || value > high) {
    return std::nullopt;
  }
  return value;
}

std::optional<std::int16_t> ParseRating(std::string_view text) {
  for (int rating = 0; rating <= kGrades; ++rating) {
    if (EqualsIgnoringCase(text, kRatingNames[rating])) return static_cast<std::int16_t>(rating);
  }
  if (const auto number = ParseInteger(text, 0, kGrades)) return static_cast<std::int16_t>(*number);
  return std::nullopt;
}

std::optional<int> ParseGradeOrDefault(std::string_view text) {
  if (EqualsIgnoringCase(text, "default")) return kGrades + 1;
  for (int grade = 1; grade <= kGrades + 1; ++grade) {
    if (EqualsIgnoringCase(text, kRatingNames[grade])) return grade;
  }
  if (const auto number = ParseInteger(text, 1, kGrades)) return static_cast<int>(*number);
  return std::nullopt;
}

const char* RatingName(int rating) {
  return rating >= 0 && rating <= kGrades + 1 ? kRatingNames[rating] : "?";
}

std::optional<std::int16_t> ParseAssetKind(std::string_view text) {
  for (const NamedKind& named : kNamedKinds) {
    if (EqualsIgnoringCase(text, named.name)) return named.kind;
  }
  if (const auto code = ParseInteger(text, -32768, 32767)) return static_cast<std::int16_t>(*code);
  return std::nullopt;
}

std::string KindName(std::int16_t kind) {
  for (const NamedKind& named : kNamedKinds) {
    if (named.kind == kind) return named.name;
  }
  return "kind " + std::to_string(kind);
}

const char* SpreadClassName(int classIndex) { return kNamedKinds[classIndex].name; }

std::optional<int> ParseSpreadClass(std::string_view text) {
  for (int c = 0; c < kSpreadClasses; ++c) {
    if (EqualsIgnoringCase(text, kNamedKinds[c].name)) return c;
  }
  return std::nullopt;
}

int SpreadClassOfKind(std::int16_t kind) {
  if (kind >= 24) return 3;
  if (kind >= 16) return 2;
  if (kind >= 8) return 1;
  return 0;
}

std::string ShortNumber(double value) {
  char text[32];
  std::snprintf(text, sizeof text, "%g", value);
  return text;
}

std::optional<double> ParseTenor(std::string_view text) {
  double scale = 1;
  if (!text.empty() && (text.back() == 'y' || text.back() == 'Y')) {
    text.remove_suffix(1);
  } else if (!text.empty() && (text.back() == 'm' || text.back() == 'M')) {
    text.remove_suffix(1);
    scale = 12;
  }
  const auto value = ParseNumber(text);
  if (!value || *value <= 0) return std::nullopt;
  return *value / scale;
}

}  // namespace creditsim::cli
