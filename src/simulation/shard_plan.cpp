// Shards get equal slices of the generator's 2^32-value period. The check
// uses the worst case (every credit asset defaulting in every scenario), so
// a run that passes can never read another shard's values.
#include "simulation/shard_plan.hpp"

#include "creditsim/creditsim.hpp"
#include "creditsim/shards.hpp"
#include "interface/messages.hpp"
#include "numerics/random_source.hpp"

namespace creditsim {

std::uint64_t MaxValuesPerScenario(const SimulationRun& run) {
  std::uint64_t values = static_cast<std::uint64_t>(run.issuerCount) + 3;
  for (std::int32_t a = 0; a < run.assetCount; ++a) {
    if (IsMarketFactorAsset(run.assetKind[a])) continue;
    if (run.issuerRating[run.assetIssuer[a]] != kInactive) ++values;
  }
  return values;
}

std::uint32_t ShardSeed(std::uint32_t baseSeed, std::int32_t index, std::int32_t shardCount) {
  RandomSource source;
  source.Seed(baseSeed);
  source.Advance(static_cast<std::uint64_t>(index) * ((std::uint64_t{1} << 32) / static_cast<std::uint64_t>(shardCount)));
  return source.State();
}

ShardPlan MakeShardPlan(const SimulationRun& run, std::uint32_t baseSeed, std::int32_t shardCount) {
  if (shardCount < 1 || shardCount > kMaxShards) {
    throw Error(CREDITSIM_ERROR_OPTION, Message("shards: ", shardCount, " is outside 1..", kMaxShards));
  }
  ShardPlan plan;
  plan.stride = (std::uint64_t{1} << 32) / static_cast<std::uint64_t>(shardCount);
  const std::int64_t total = std::max(run.scenarioCount, 0);
  const std::uint64_t perScenario = MaxValuesPerScenario(run);
  for (std::int32_t i = 0; i < shardCount; ++i) {
    const auto share = static_cast<std::int32_t>(total / shardCount + (i < total % shardCount ? 1 : 0));
    plan.scenarios.push_back(share);
    plan.seeds.push_back(ShardSeed(baseSeed, i, shardCount));
  }
  const std::uint64_t largest = static_cast<std::uint64_t>(plan.scenarios.front()) * perScenario;
  if (shardCount > 1 && largest > plan.stride) {
    throw Error(CREDITSIM_ERROR_OPTION,
                Message("shards: ", shardCount, " shards of up to ", plan.scenarios.front(), " scenarios may draw ",
                        largest, " random values each, more than the ", plan.stride,
                        " each shard has before the next shard's stream (the generator repeats after 2^32 values); run fewer scenarios"));
  }
  return plan;
}

}  // namespace creditsim
