// How a sharded run divides its scenarios and its random stream.
#pragma once

#include <cstdint>
#include <vector>

#include "simulation/simulation_run.hpp"

namespace creditsim {

inline constexpr std::int32_t kMaxShards = 4096;

struct ShardPlan {
  std::uint64_t stride = 0;              // L = floor(2^32 / P) values per shard
  std::vector<std::int32_t> scenarios;   // D_i, in shard order
  std::vector<std::uint32_t> seeds;      // state after i * L values from the base seed
};

// Random values a scenario can take at most: every issuer, the three
// systematic draws, and one recovery per credit asset of an active issuer.
std::uint64_t MaxValuesPerScenario(const SimulationRun& run);

// Throws Error when P is out of range or a shard could run into the next
// shard's stream.
ShardPlan MakeShardPlan(const SimulationRun& run, std::uint32_t baseSeed, std::int32_t shardCount);

}  // namespace creditsim
