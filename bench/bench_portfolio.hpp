// A synthetic portfolio of the creditsim bench sizes, with its SimulationRun,
// shared by the kernel benchmarks.
#pragma once

#include <string>

#include "host_case.hpp"
#include "interface/simulation_validation.hpp"
#include "synthetic_portfolio.hpp"

namespace creditsim::bench {

struct BenchPortfolio {
  cli::HostCase arrays;
  SimulationRun run;

  explicit BenchPortfolio(const std::string& size, std::int32_t scenarios = 1)
      : arrays(cli::MakeSyntheticPortfolio(cli::SyntheticPortfolioSize(size), scenarios)),
        run(ValidateSimulation(cli::ArraysOf(arrays), cli::ParametersOf(arrays), arrays.IssuerCount(),
                               arrays.AssetCount())) {}
};

// Benchmark argument 0, 1, 2 -> size S, M, L.
inline const char* SizeName(long index) { return index == 0 ? "S" : index == 1 ? "M" : "L"; }

}  // namespace creditsim::bench
