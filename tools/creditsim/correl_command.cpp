// creditsim correl CASE.json: the triangular factor of a correlation matrix.
#include <iostream>
#include <memory>

#include "commands.hpp"
#include "creditsim/creditsim.h"
#include "exit_codes.hpp"
#include "host_case.hpp"
#include "json_numbers.hpp"

namespace creditsim::cli {
namespace {

std::vector<double> ReadCorrelation(const std::string& path) {
  try {
    const nlohmann::json document = ReadJsonFile(path);
    if (!document.is_object()) throw InputError("expected a JSON object");
    if (!document.contains("correlation")) throw InputError("missing key \"correlation\"");
    return ReadDoubleList(document["correlation"], "correlation");
  } catch (const InputError& e) {
    throw CliError(kExitBadInput, path + ": " + e.what());
  }
}

int RunCorrel(const std::string& path) {
  std::vector<double> correlation = ReadCorrelation(path);
  const std::int64_t n = IntegerSquareRoot(static_cast<std::int64_t>(correlation.size()));
  if (n * n != static_cast<std::int64_t>(correlation.size())) {
    throw CliError(kExitBadInput, path + ": correlation: holds " + std::to_string(correlation.size()) +
                                      " elements, which is not the square of an issuer count");
  }
  std::vector<double> factor(correlation.size());
  HostArray input{CREDITSIM_DOUBLE, 2, {static_cast<std::int32_t>(n), static_cast<std::int32_t>(n)}, correlation.data()};
  HostArray output{CREDITSIM_DOUBLE, 2, {static_cast<std::int32_t>(n), static_cast<std::int32_t>(n)}, factor.data()};
  HostArray* inputRef = &input;
  HostArray* outputRef = &output;
  if (Correl(&inputRef, &outputRef) != CREDITSIM_OK) {
    throw CliError(kExitBadInput, path + ": " + creditsim_last_error());
  }
  std::string out = "{\"factor\": ";
  AppendJsonDoubleArray(out, factor);
  out += "}\n";
  std::cout << out;
  return kExitOk;
}

}  // namespace

void AddCorrelCommand(CLI::App& app, CommandAction& action) {
  auto* command = app.add_subcommand(
      "correl", "Factor a correlation matrix: reads {\"correlation\": [n*n values]} and prints {\"factor\": [...]}");
  auto path = std::make_shared<std::string>();
  command->add_option("CASE", *path, "JSON file with the flat n x n correlation matrix")->required();
  command->callback([&action, path] { action = [path] { return RunCorrel(*path); }; });
}

}  // namespace creditsim::cli
