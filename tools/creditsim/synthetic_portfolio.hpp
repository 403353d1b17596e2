// Built-in synthetic portfolios for benchmarks: fixed, seeded, and shaped
// like a real book, so that timings exercise the same paths (migrations,
// rare defaults, market-factor assets, inactive issuers, a filling tail) as
// production runs do.
//
// Sizes: S = 50 issuers and 200 assets, M = 500 and 5000, L = 2000 and
// 20000; all with K = 100 tail slots. Issuers belong to 10 sectors and are
// correlated 0.20 across sectors and 0.45 within one (the factor is
// computed with the library's Correl). Ratings follow a typical grade mix
// with 5 % inactive issuers; the migration thresholds come from a one-year
// migration matrix with default rates from 0.01 % (grade 1) to 20 %
// (grade 7). About 10 % of the assets are market-factor assets (kinds 33 and
// 34); the rest spread over every credit kind class, with tenors of 1 to
// 10 years interpolated in a 10-row spread table.
#pragma once

#include <cstdint>
#include <string>

#include "host_case.hpp"

namespace creditsim::cli {

struct PortfolioSize {
  std::string name;
  std::int32_t issuers = 0;
  std::int32_t assets = 0;
};

// S, M or L; throws InputError for any other name.
PortfolioSize SyntheticPortfolioSize(const std::string& name);

// The case of a size, with `scenarios` scenarios, empty (zero) tails and the
// factor already computed. The same size and seed always give the same case.
HostCase MakeSyntheticPortfolio(const PortfolioSize& size, std::int32_t scenarios, std::uint64_t seed = 2026);

}  // namespace creditsim::cli
