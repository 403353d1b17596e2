// Sharded runs: the merge of shard results against its definition (running
// the shards one after another on the same arrays), with NaN, ties and
// unordered starting tails; thread counts that change nothing; and the
// stream-overlap refusal.
#include <gtest/gtest.h>

#include <limits>
#include <random>

#include "creditsim/shards.hpp"
#include "numerics/random_source.hpp"
#include "progress/host_progress_reporter.hpp"
#include "simulation/driver.hpp"
#include "simulation/fast_engine.hpp"
#include "simulation/merge_bounds.hpp"
#include "support/bit_equal.hpp"
#include "support/random_case.hpp"
#include "synthetic_portfolio.hpp"

namespace creditsim {
namespace {

using cli::HostCase;

// The definition: shard i runs its scenarios from its seed on the arrays
// shard i-1 left, writing its scenario P&L after the earlier shards'.
void RunSequentially(HostCase& c, std::uint32_t baseSeed, int shards, const std::vector<std::int32_t>& counts) {
  std::int64_t offset = 0;
  for (int i = 0; i < shards; ++i) {
    SimulationArrays arrays = cli::ArraysOf(c);
    arrays.scenarioPnl = arrays.scenarioPnl.subspan(static_cast<std::size_t>(offset));
    SimulationParameters parameters = cli::ParametersOf(c);
    parameters.scenarioCount = counts[static_cast<std::size_t>(i)];
    SimulationOptions options;
    options.seed = ShardSeed(baseSeed, i, shards);
    Simulate(arrays, parameters, options);
    offset += counts[static_cast<std::size_t>(i)];
  }
}

std::vector<std::int32_t> Shares(std::int32_t total, int shards) {
  std::vector<std::int32_t> counts;
  for (int i = 0; i < shards; ++i) counts.push_back(total / shards + (i < total % shards ? 1 : 0));
  return counts;
}

void ExpectSameArrays(const HostCase& actual, const HostCase& expected, const std::string& where) {
  for (int i = 0; i < cli::kArrayCount; ++i) {
    EXPECT_TRUE(testing::BitEqual(actual.arrays[i].doubles, expected.arrays[i].doubles)) << where << " " << cli::kArrayNames[i];
    EXPECT_TRUE(testing::BitEqual(actual.arrays[i].ints, expected.arrays[i].ints)) << where << " " << cli::kArrayNames[i];
  }
}

// While alive, makes every sharded run with two or more threads share its
// groups' steps in pairs (`on`), whatever the size of the factor.
class TeamFactorOverride {
 public:
  explicit TeamFactorOverride(bool on) : saved_(TeamFactorBytes()) {
    if (on) SetTeamFactorBytes(0);
  }
  ~TeamFactorOverride() { SetTeamFactorBytes(saved_); }

 private:
  std::size_t saved_;
};

TEST(Shards, MergeEqualsRunningTheShardsOneAfterAnother) {
  std::mt19937_64 random(2024);
  const testing::RandomCaseOptions variants[] = {
      {.allowNaN = false, .orderedTails = true, .coarseValues = false},  // merged
      {.allowNaN = false, .orderedTails = true, .coarseValues = true},   // merged, with many ties
      {.allowNaN = true, .orderedTails = false, .coarseValues = false},  // replayed
      {.allowNaN = true, .orderedTails = true, .coarseValues = true},
  };
  for (int trial = 0; trial < 160; ++trial) {
    const auto& variant = variants[trial % 4];
    HostCase merged = testing::MakeRandomCase(random, variant);
    HostCase sequential = merged;
    const int shards = 1 + trial % 5;
    const std::uint32_t seed = *merged.seed;
    const auto counts = Shares(merged.scenarioCount, shards);

    std::vector<ShardResult> results;
    SimulationOptions options;
    options.engine = trial % 2 ? Engine::Fast : Engine::Reference;
    std::vector<std::uint32_t> seeds;
    for (int i = 0; i < shards; ++i) seeds.push_back(ShardSeed(seed, i, shards));
    if (trial % 3 == 2) {  // side by side, keeping only what can reach the merge
      results = RunShardsForMerge(cli::ArraysOf(merged), cli::ParametersOf(merged), seeds, counts, options);
    } else {
      for (int i = 0; i < shards; ++i) {
        results.push_back(RunShard(cli::ArraysOf(merged), cli::ParametersOf(merged), seeds[static_cast<std::size_t>(i)],
                                   counts[static_cast<std::size_t>(i)], options));
      }
    }
    MergeShardResults(cli::ArraysOf(merged), cli::ParametersOf(merged), results);
    RunSequentially(sequential, seed, shards, counts);
    ExpectSameArrays(merged, sequential, "trial " + std::to_string(trial));
  }
}

TEST(Shards, ThreadCountNeverChangesTheResult) {
  std::mt19937_64 random(99);
  // Coarse values make ties between shards' tails common: the shards of a
  // thread run side by side and skip what cannot reach the merged tails.
  for (int trial = 0; trial < 24; ++trial) {
    HostCase base = testing::MakeRandomCase(
        random, {.allowNaN = trial % 3 == 0, .orderedTails = true, .coarseValues = trial % 3 == 1});
    if (base.scenarioCount == 0) continue;
    const int shards = 1 + trial % 6;
    HostCase sequential = base;
    RunSequentially(sequential, *base.seed, shards, Shares(base.scenarioCount, shards));
    // Threads in pairs sharing the steps of each group, as for a large
    // factor, in every other trial.
    const TeamFactorOverride teams(trial % 2 == 1);
    for (int threads : {1, 2, 3}) {
      HostCase sharded = base;
      SimulationOptions options;
      options.seed = *base.seed;
      const auto outcome =
          SimulateSharded(cli::ArraysOf(sharded), cli::ParametersOf(sharded), {shards, threads}, options);
      EXPECT_EQ(outcome.scenariosRun, base.scenarioCount);
      EXPECT_FALSE(outcome.cancelled);
      ExpectSameArrays(sharded, sequential, "threads " + std::to_string(threads) + (trial % 2 ? " in teams" : ""));
    }
  }
}

TEST(Shards, ManyShardsWithALongTailMergeExactly) {
  // K = 100 over 8 shards: groups of shards report an early entry of their
  // lists (ceil(K / 8) - 1), which bounds the merge only once groups
  // covering enough shards have reported. Empty starting tails, so that the
  // bounds come from the shards alone; one and two threads, and two threads
  // sharing the steps of one group (200 issuers: the product splits into
  // bands of several panels; 600 assets: two threads merge the columns).
  HostCase base = cli::MakeSyntheticPortfolio({"S", 200, 600}, 1600);
  for (const char* empty : {"tailPnl", "tailRestPnl"}) {
    for (double& slot : base.Doubles(empty)) slot = std::numeric_limits<double>::infinity();
  }
  constexpr int kShards = 8;
  HostCase sequential = base;
  RunSequentially(sequential, 5, kShards, Shares(base.scenarioCount, kShards));
  for (int threads : {1, 2}) {
    for (bool inTeams : {false, true}) {
      const TeamFactorOverride teams(inTeams);
      HostCase sharded = base;
      SimulationOptions options;
      options.seed = 5;
      SimulateSharded(cli::ArraysOf(sharded), cli::ParametersOf(sharded), {kShards, threads}, options);
      ExpectSameArrays(sharded, sequential, "threads " + std::to_string(threads) + (inTeams ? " in teams" : ""));
    }
  }
}

TEST(Shards, GroupReportsBoundTheMergeOnlyOnceTheyCoverKValues) {
  // K = 100 over 8 shards: each group reports entry 12 of its lists, so a
  // report stands for 13 values per shard. One group of 4 shards covers 52
  // values, not yet 100; with the second group's report the largest report
  // is a bound. The host's empty lists bound nothing.
  constexpr int K = 100;
  std::vector<double> tailPnl(K, std::numeric_limits<double>::infinity()), tailRestPnl = tailPnl;
  SimulationRun host;
  host.tailSize = K;
  host.assetCount = 1;
  host.tailPnl = tailPnl.data();
  host.tailRestPnl = tailRestPnl.data();
  MergeBounds bounds(host, 8);
  EXPECT_EQ(bounds.ReportedEntry(), 12);

  const double inf = std::numeric_limits<double>::infinity();
  double main0 = inf, main1 = inf;
  std::vector<double> rest0{inf}, rest1{inf};
  const int group0 = bounds.Join(4, main0, rest0);
  const int group1 = bounds.Join(4, main1, rest1);
  bounds.Exchange(group0, -5.0, std::vector<double>{-7.0}, main0, rest0);
  EXPECT_EQ(main0, inf);
  EXPECT_EQ(rest0[0], inf);
  bounds.Exchange(group1, -6.0, std::vector<double>{-3.0}, main1, rest1);
  EXPECT_EQ(main1, -5.0);
  EXPECT_EQ(rest1[0], -3.0);
  // A group's own, lower bound is shared too.
  double own = -9.0;
  bounds.Exchange(group0, -5.0, std::vector<double>{-7.0}, own, rest0);
  EXPECT_EQ(own, -9.0);
  EXPECT_EQ(rest0[0], -3.0);
}

TEST(Shards, OneShardIsAnOrdinaryRun) {
  std::mt19937_64 random(5);
  HostCase ordinary = testing::MakeRandomCase(random, {.allowNaN = false, .orderedTails = true});
  HostCase sharded = ordinary;
  SimulationOptions options;
  options.seed = *ordinary.seed;
  Simulate(cli::ArraysOf(ordinary), cli::ParametersOf(ordinary), options);
  SimulateSharded(cli::ArraysOf(sharded), cli::ParametersOf(sharded), {1, 2}, options);
  ExpectSameArrays(sharded, ordinary, "one shard");
}

TEST(Shards, ACancelledRunMergesWhatCompleted) {
  std::mt19937_64 random(11);
  HostCase c = testing::MakeRandomCase(random, {.allowNaN = false, .orderedTails = true});
  CancelToken cancel;
  cancel.Request();  // every shard stops at its first check
  SimulationOptions options;
  options.seed = 1;
  options.cancel = &cancel;
  const HostCase before = c;
  const auto outcome = SimulateSharded(cli::ArraysOf(c), cli::ParametersOf(c), {4, 2}, options);
  EXPECT_EQ(outcome.scenariosRun, 0);
  EXPECT_EQ(outcome.cancelled, c.scenarioCount > 0);
  ExpectSameArrays(c, before, "cancelled before any scenario");
}

TEST(Shards, RefusesShardsThatCouldOverlap) {
  // 100 issuers and 200 credit assets take up to 303 values a scenario; a
  // run of 2^32 / 303 + 1 scenarios would wrap the generator's period.
  nlohmann::json document = {{"factor", std::vector<double>(100 * 100, 0.0)},
                             {"issuerRating", std::vector<int>(100, 3)},
                             {"assetFace", std::vector<double>(200, 1.0)},
                             {"assetKind", std::vector<int>(200, 1)},
                             {"scenarioPnl", std::vector<double>(1)},
                             {"scenarioCount", 0}, {"tailSize", 0}, {"spreadVolatility", 0},
                             {"market1Volatility", 0}, {"market2Volatility", 0}, {"recoveryMeanA", 0},
                             {"recoveryMeanB", 0}};
  HostCase c = cli::ParseCase(document);
  SimulationParameters parameters = cli::ParametersOf(c);
  parameters.scenarioCount = static_cast<std::int32_t>((std::uint64_t{1} << 32) / 303 + 8);
  std::vector<double> scenarioPnl(static_cast<std::size_t>(parameters.scenarioCount));
  SimulationArrays arrays = cli::ArraysOf(c);
  arrays.scenarioPnl = scenarioPnl;
  try {
    SimulateSharded(arrays, parameters, {8, 1});
    FAIL() << "accepted";
  } catch (const Error& e) {
    EXPECT_EQ(e.status(), CREDITSIM_ERROR_OPTION);
    EXPECT_NE(std::string(e.what()).find("shards: 8 shards of up to"), std::string::npos) << e.what();
  }
  EXPECT_THROW(SimulateSharded(arrays, parameters, {0, 1}), Error);
}

TEST(Shards, ShardSeedsFollowTheStride) {
  RandomSource stepped;
  stepped.Seed(12345);
  // With the largest shard count the stride is 2^32 / 4096 = 2^20 values.
  for (std::uint64_t i = 0; i < 2 * (std::uint64_t{1} << 20); ++i) stepped.Next();
  EXPECT_EQ(ShardSeed(12345, 2, 4096), stepped.State());
  EXPECT_EQ(ShardSeed(12345, 0, 3), 12345u);
}

}  // namespace
}  // namespace creditsim
