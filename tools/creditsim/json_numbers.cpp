// nlohmann::json would print doubles with its own rules and write NaN as
// null; output is therefore written by hand with std::to_chars, which gives
// the shortest representation that round-trips.
#include "json_numbers.hpp"

#include <charconv>
#include <cmath>
#include <stdexcept>

namespace creditsim::cli {

std::string FormatDouble(double value) {
  if (std::isnan(value)) return "NaN";
  if (std::isinf(value)) return value > 0 ? "Infinity" : "-Infinity";
  char buffer[64];
  const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
  std::string text(buffer, result.ptr);
  // Keep the value a JSON floating-point number: "1" becomes "1.0" and "-0"
  // becomes "-0.0", which a reader does not take for the integer 0.
  if (text.find_first_of(".eE") == std::string::npos) text += ".0";
  return text;
}

void AppendJsonDouble(std::string& out, double value) {
  if (std::isfinite(value)) {
    out += FormatDouble(value);
  } else {
    out += '"';
    out += FormatDouble(value);
    out += '"';
  }
}

void AppendJsonDoubleArray(std::string& out, const std::vector<double>& values) {
  out += '[';
  for (std::size_t i = 0; i < values.size(); ++i) {
    if (i != 0) out += ',';
    AppendJsonDouble(out, values[i]);
  }
  out += ']';
}

void AppendJsonIntArray(std::string& out, const std::vector<std::int16_t>& values) {
  out += '[';
  for (std::size_t i = 0; i < values.size(); ++i) {
    if (i != 0) out += ',';
    out += std::to_string(values[i]);
  }
  out += ']';
}

double ReadJsonDouble(const nlohmann::json& value) {
  if (value.is_number()) return value.get<double>();
  if (value.is_string()) {
    const auto& text = value.get_ref<const std::string&>();
    if (text == "NaN") return std::nan("");
    if (text == "Infinity") return HUGE_VAL;
    if (text == "-Infinity") return -HUGE_VAL;
    throw std::invalid_argument("the string \"" + text + "\" is not a number (only \"NaN\", \"Infinity\", \"-Infinity\")");
  }
  throw std::invalid_argument(std::string("expected a number, found ") + value.type_name());
}

}  // namespace creditsim::cli
