// Sharded runs: independent sub-runs with non-overlapping random streams,
// run on several threads (or machines), merged into exactly the arrays that
// running the shards one after another on the same arrays would leave.
//
// Shard i of a run with base seed S and P shards starts from the generator
// state reached from S after i * L values, with the stride L = floor(2^32 / P).
// A shard of D_i scenarios may draw at most D_i * (N + 3 + credit assets)
// values, which must not exceed L; a run that could overlap is refused.
// Scenarios are shared out in order: the first D mod P shards run one more.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "creditsim/creditsim.hpp"

namespace creditsim {

struct ShardingOptions {
  std::int32_t shards = 1;   // P
  std::int32_t threads = 0;  // worker threads; 0: the machine's cores
};

// Runs `parameters.scenarioCount` scenarios as `sharding.shards` shards and
// merges them into `arrays`. The result depends on the seed and the shard
// count only, never on the thread count or timing. A cancellation stops
// every shard at its next check; what completed is merged, and
// `scenarioPnl` then holds the completed scenarios of shard 0, then of
// shard 1, ... from position 0 on.
CREDITSIM_API SimulationOutcome SimulateSharded(const SimulationArrays& arrays, const SimulationParameters& parameters,
                                                const ShardingOptions& sharding, const SimulationOptions& options = {});

// What one shard leaves: a run of its scenarios made on its own copies of
// the per-scenario arrays, and on tails that started empty (every tailPnl
// and tailRestPnl slot +infinity).
struct ShardResult {
  std::uint32_t seed = 0;           // generator state the shard started from
  std::int32_t scenariosRun = 0;    // completed scenarios
  bool hadLoss = false;             // some completed scenario had P&L < 0
  std::vector<double> scenarioPnl;  // scenariosRun values
  std::vector<double> issuerPercentile, issuerShock, assetNewSpread, assetPnl, assetRestPnl;
  std::vector<std::int16_t> issuerNewRating;
  std::vector<double> tailPnl, tailAssetPnl, tailMultiplier, tailRestPnl;
  std::vector<std::int16_t> tailRating;
};

// The scenarios of each shard, in shard order, after checking the call and
// that no shard can draw into the next shard's stream (throws Error).
CREDITSIM_API std::vector<std::int32_t> PlanShards(const SimulationArrays& arrays, const SimulationParameters& parameters,
                                                   std::int32_t shardCount);

// The generator state shard `index` of `shardCount` starts from.
CREDITSIM_API std::uint32_t ShardSeed(std::uint32_t baseSeed, std::int32_t index, std::int32_t shardCount);

// Runs `scenarioCount` scenarios as one shard from `seed`, on copies of the
// host's arrays (which are only read).
CREDITSIM_API ShardResult RunShard(const SimulationArrays& arrays, const SimulationParameters& parameters,
                                   std::uint32_t seed, std::int32_t scenarioCount,
                                   const SimulationOptions& options = {});

// Runs several shards on the calling thread for a later MergeShardResults
// into the same host arrays: the fast engine advances up to four of them
// side by side, sharing each pass over the correlation factor. Because the
// results are only for that merge, each shard's tails keep only the values
// that can reach it (the merge is the same, bit for bit, as with RunShard;
// a shard's own tails are not). Shard k starts from seeds[k] and runs
// scenarioCounts[k] scenarios.
CREDITSIM_API std::vector<ShardResult> RunShardsForMerge(const SimulationArrays& arrays,
                                                         const SimulationParameters& parameters,
                                                         std::span<const std::uint32_t> seeds,
                                                         std::span<const std::int32_t> scenarioCounts,
                                                         const SimulationOptions& options = {});

// Merges shard results, in shard order, into the host's arrays, leaving
// exactly what running shard 0, then shard 1 on shard 0's output arrays,
// ... would leave (scenarioPnl concatenated in shard order from position 0).
// When the host's tails are ascending without NaN and every shard P&L is
// finite, this is a stable merge of the shards' tails; otherwise the shards
// are replayed one after another from their seeds, which gives the same
// bits by definition.
CREDITSIM_API void MergeShardResults(const SimulationArrays& arrays, const SimulationParameters& parameters,
                                     std::span<const ShardResult> shards, Engine engine = Engine::Fast);

}  // namespace creditsim
