// A host-emulation case: the 25 arrays of a Simulate call as flat lists in
// parameter order, the seven scalars, and the seed, read from and written to
// JSON. `correlation` may stand in for `factor` (Correl then runs first).
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "creditsim/creditsim.h"
#include "creditsim/creditsim.hpp"

namespace creditsim::cli {

inline constexpr int kArrayCount = 25;

// Names of the array parameters, in call order.
extern const std::array<const char*, kArrayCount> kArrayNames;
bool IsInt16Array(int index);

// Bad input: the message says what is wrong (the caller adds the file).
struct InputError : std::runtime_error {
  using std::runtime_error::runtime_error;
};

struct CaseArray {
  std::vector<double> doubles;       // for double arrays
  std::vector<std::int16_t> ints;    // for 16-bit arrays
  bool given = false;                // present in the case (not zero-filled)
};

struct HostCase {
  std::array<CaseArray, kArrayCount> arrays;
  std::optional<std::vector<double>> correlation;
  std::int32_t scenarioCount = 0;
  std::int32_t tailSize = 0;  // as passed: only the low 16 bits are used
  double spreadVolatility = 0, market1Volatility = 0, market2Volatility = 0;
  double recoveryMeanA = 0, recoveryMeanB = 0;
  std::optional<std::uint32_t> seed;
  std::optional<int> cancelAtCheck;  // answer yes at this progress check
  int repeat = 1;                    // calls made one after another

  std::vector<double>& Doubles(const char* name);
  std::vector<std::int16_t>& Ints(const char* name);
  std::int32_t IssuerCount() const;
  std::int32_t AssetCount() const;
};

// Reads and parses a JSON file; throws InputError ("cannot open the file",
// "malformed JSON: ...").
nlohmann::json ReadJsonFile(const std::string& path);

// A JSON array of doubles (numbers or the non-finite strings); `name`
// labels the errors, e.g. "correlation[3]: ...".
std::vector<double> ReadDoubleList(const nlohmann::json& value, const std::string& name);

// The largest r with r * r <= value.
std::int64_t IntegerSquareRoot(std::int64_t value);

// Reads a case; arrays it leaves out are zero-filled to the least length the
// call needs. Throws InputError.
HostCase ParseCase(const nlohmann::json& document);
HostCase LoadCaseFile(const std::string& path);

// The output document: every array as it stands, then the seed.
std::string CaseResultJson(const HostCase& hostCase, std::uint32_t seed, bool cancelled);

// Spans over the case's arrays, for the C++ API and the internals.
SimulationArrays ArraysOf(HostCase& hostCase);
SimulationParameters ParametersOf(const HostCase& hostCase);

struct CaseRunResult {
  int status = CREDITSIM_OK;  // of the last call
  std::string error;          // creditsim_last_error() when refused
  std::uint32_t seed = 0;
  bool cancelled = false;
};

// Runs the case through the C interface, as a host would: Correl first when
// the case gives `correlation`, then `repeat` calls of SimulateWithOptions.
CaseRunResult RunCase(HostCase& hostCase, creditsim_options options);

}  // namespace creditsim::cli
