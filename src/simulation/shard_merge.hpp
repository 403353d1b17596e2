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

// Leaves in the host's arrays what running the shards one after another on
// them would leave.
void MergeShards(const SimulationRun& host, std::span<const ShardResult> shards, Engine engine);

}  // namespace creditsim
