// Doubles in JSON that read back to the same bits: the shortest round-trip
// form, -0.0 kept, and the strings "NaN", "Infinity", "-Infinity" for the
// values JSON has no number for.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

namespace creditsim::cli {

// Shortest text that converts back to exactly `value`.
std::string FormatDouble(double value);

// Appends `value` to `out` as a JSON value (number or non-finite string).
void AppendJsonDouble(std::string& out, double value);
void AppendJsonDoubleArray(std::string& out, const std::vector<double>& values);
void AppendJsonIntArray(std::string& out, const std::vector<std::int16_t>& values);

// Reads a JSON number or one of the non-finite strings; throws
// std::invalid_argument with a description otherwise.
double ReadJsonDouble(const nlohmann::json& value);

}  // namespace creditsim::cli
