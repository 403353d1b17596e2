// A credit portfolio as an analyst describes it: issuers with ratings and
// sectors, the issuer correlation matrix, the migration thresholds, spread
// curves on a tenor grid, positions and the run settings. Readers under
// portfolio/ fill it from a directory; host_inputs turns it into the flat
// arrays of a simulation.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace creditsim::cli {

inline constexpr int kGrades = 7;               // AAA ... CCC
inline constexpr int kTransitionColumns = 8;    // the seven grades and default
inline constexpr int kSpreadClasses = 4;        // column offsets 0, 8, 16, 24
inline constexpr std::int16_t kMarket1Kind = 33;
inline constexpr std::int16_t kMarket2Kind = 34;

struct Issuer {
  std::string id;
  std::int16_t rating = 0;  // 0 inactive, 1 (AAA) ... 7 (CCC)
  std::string sector;
};

struct Asset {
  std::string id;
  std::string issuerId;          // empty for market-factor positions
  std::int16_t issuerIndex = 0;  // position in the issuer list
  std::int16_t kind = 1;
  double face = 0;
  double value = 0;
  double spread = 0;    // basis points
  double duration = 0;  // spread duration, years
  std::int16_t tenorLow = 0;
  std::int16_t tenorHigh = 0;
  double tenorWeight = 0;
};

struct RunSettings {
  std::int32_t scenarios = 10000;
  std::optional<std::int32_t> tail;  // empty: sized from the scenario count
  std::optional<std::uint32_t> seed;
  double spreadVolatility = 0;
  double market1Volatility = 0;
  double market2Volatility = 0;
  double recoveryMeanA = 0;  // credit kinds up to 21
  double recoveryMeanB = 0;  // credit kinds 22 and above
};

struct Portfolio {
  std::string directory;
  RunSettings settings;
  std::vector<Issuer> issuers;
  std::vector<double> correlation;  // N x N, row-major, symmetric
  // The input transition matrix in probabilities (kept for the model check),
  // empty when the thresholds were given directly.
  std::vector<std::array<double, kTransitionColumns>> transition;
  std::array<double, 49> thresholds{};  // flat position (k-1)*7 + (r-1)
  std::vector<double> tenors;           // years, ascending
  std::vector<double> spreadTable;      // tenor row * 33 + column
  std::vector<Asset> assets;
  std::uint64_t digest = 0;             // of every input file's bytes
};

}  // namespace creditsim::cli
