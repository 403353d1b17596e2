// Combining shard results into the host's arrays.
#pragma once

#include <span>

#include "creditsim/shards.hpp"
#include "simulation/simulation_run.hpp"

namespace creditsim {

// True when every tail list of the host (tailPnl and each asset's column of
// tailRestPnl) is ascending and free of NaN, the condition under which
// shards that started from empty tails can be merged instead of replayed.
bool HostTailsAreOrdered(const SimulationRun& host);

// Starting bounds for shards whose tails will be merged into the host's
// (see RestOfPortfolioStore::ShareBound): the last slot of each host list
// that is ascending and free of NaN, +infinity for any other. The merged
// lists keep K values not above such a slot, so a shard value above it can
// never reach them. `restBound` has one entry per asset; needs K >= 1.
void HostTailBounds(const SimulationRun& host, double& mainBound, double* restBound);

// Leaves in the host's arrays what running the shards one after another on
// them would leave; the rest-of-portfolio columns merge on up to `threads`
// threads.
void MergeShards(const SimulationRun& host, std::span<const ShardResult> shards, Engine engine, int threads = 1);

}  // namespace creditsim
