// The simulation of a portfolio as one call: the host arrays built from the
// portfolio go in, the scenario P&L and the tail store come out. Everything
// else in `creditsim run` is reading and reporting, so a different way of
// running the same arrays (sharded, on several threads) replaces only
// SimulatePortfolio.
#pragma once

#include <cstdint>
#include <functional>
#include <vector>

#include "creditsim/creditsim.hpp"
#include "creditsim/shards.hpp"
#include "portfolio/portfolio.hpp"

namespace creditsim::cli {

// The read-only arrays and the scalars of a run.
struct SimulationInputs {
  std::int32_t issuerCount = 0;
  std::int32_t assetCount = 0;
  std::vector<double> factor;  // from Correl
  std::vector<std::int16_t> issuerRating;
  std::vector<double> migrationThreshold;
  std::vector<std::int16_t> assetIssuer;
  std::vector<double> assetFace, assetValue, spreadTable;
  std::vector<std::int16_t> assetTenorLow, assetTenorHigh;
  std::vector<double> assetTenorWeight, assetDuration;
  std::vector<std::int16_t> assetKind;
  std::vector<double> assetSpread;
  SimulationParameters parameters;
};

// What a run leaves for the report: every scenario's P&L (the completed
// ones) and the tail store, whose unfilled slots hold +inf.
struct SimulationResults {
  std::vector<double> scenarioPnl;
  std::vector<double> tailPnl, tailAssetPnl, tailMultiplier, tailRestPnl;
  std::vector<std::int16_t> tailRating;
  SimulationOutcome outcome;
  bool reportHere = true;  // false on the processes of a distributed run that do not report
};

// Factors the correlation matrix (throws CliError when the factor is not
// usable) and lays the portfolio out as the simulation's arrays.
SimulationInputs BuildSimulationInputs(const Portfolio& portfolio, std::int32_t scenarios, std::int16_t tailSize);

// Runs the arrays as one sequence (sharding.shards == 0) or as shards.
SimulationResults SimulatePortfolio(const SimulationInputs& inputs, const SimulationOptions& options,
                                    const ShardingOptions& sharding = {0, 0});

// How a program runs the arrays of a (sharded) simulation: the plain program
// uses the library's own call; creditsim-mpi spreads the shards over ranks.
// The function fills `arrays` (all 25, as a single process would) and returns
// the outcome, and says whether this process reports.
struct ShardedCall {
  SimulationOutcome outcome;
  bool reportHere = true;
};
using ShardedSimulator = std::function<ShardedCall(const SimulationArrays& arrays, const SimulationParameters& parameters,
                                                   const ShardingOptions& sharding, const SimulationOptions& options)>;
void UseShardedSimulator(ShardedSimulator simulator);
// Runs a sharded simulation with the simulator in use.
ShardedCall SimulateShardedInThisProgram(const SimulationArrays& arrays, const SimulationParameters& parameters,
                                         const ShardingOptions& sharding, const SimulationOptions& options);

}  // namespace creditsim::cli
