// Exact merging of shard results.
//
// Bounded insertion puts a value just after the last stored value strictly
// below it, so on a list that is ascending and free of NaN it is a stable
// sorted insert in which, among equal values, the newer comes first. Shards
// are newer than the host's content and than every earlier shard, so their
// tails (run from empty lists) merge into the host's by a stable merge that
// prefers the shard on ties: a scenario pushed out of its own shard's list
// would be pushed out of the combined list by the same newer values. When
// that reasoning does not hold (NaN anywhere, unordered host lists, infinite
// P&L that cannot be told from an empty slot), the shards are replayed one
// after another from their seeds instead, which is the definition itself.
#include "simulation/shard_merge.hpp"

#include <algorithm>
#include <cmath>
#include <functional>
#include <limits>
#include <thread>
#include <vector>

#include "progress/host_progress_reporter.hpp"
#include "simulation/driver.hpp"
#include "simulation/tail_store.hpp"

namespace creditsim {
namespace {

bool ShardPnlIsFinite(const ShardResult& shard) {
  return std::all_of(shard.scenarioPnl.begin(), shard.scenarioPnl.end(), [](double v) { return std::isfinite(v); });
}

void ReplaySequentially(const SimulationRun& host, std::span<const ShardResult> shards, Engine engine) {
  std::int64_t offset = 0;
  for (const ShardResult& shard : shards) {
    if (shard.scenariosRun <= 0) continue;
    SimulationRun run = host;
    run.scenarioPnl = host.scenarioPnl + offset;
    run.scenarioCount = shard.scenariosRun;
    HostProgressReporter silent(MakeSilentDisplay(), nullptr, false);
    RunSimulation(run, shard.seed, silent, engine);
    offset += shard.scenariosRun;
  }
}

// A slot of the merged main store: the host's slot `slot` (shard < 0) or
// slot `slot` of shard `shard`'s own list.
struct SlotSource {
  int shard;
  int slot;
};

std::vector<SlotSource> MergeMainStoreOrder(const SimulationRun& host, std::span<const ShardResult> shards) {
  const int K = host.tailSize;
  std::vector<SlotSource> merged;
  for (int i = 0; i < K; ++i) merged.push_back({-1, i});
  auto valueOf = [&](const SlotSource& s) {
    return s.shard < 0 ? host.tailPnl[s.slot] : shards[static_cast<std::size_t>(s.shard)].tailPnl[static_cast<std::size_t>(s.slot)];
  };
  for (std::size_t index = 0; index < shards.size(); ++index) {
    const ShardResult& shard = shards[index];
    if (shard.scenariosRun <= 0) continue;
    std::vector<SlotSource> next;
    std::size_t a = 0;
    int b = 0;
    // Real entries of a shard are finite; empty slots hold +infinity.
    auto shardHas = [&](int slot) { return slot < K && std::isfinite(shard.tailPnl[static_cast<std::size_t>(slot)]); };
    while (static_cast<int>(next.size()) < K) {
      const bool takeShard = shardHas(b) && (a >= merged.size() || !(shard.tailPnl[static_cast<std::size_t>(b)] > valueOf(merged[a])));
      if (takeShard) {
        next.push_back({static_cast<int>(index), b++});
      } else if (a < merged.size()) {
        next.push_back(merged[a++]);
      } else {
        break;
      }
    }
    merged = std::move(next);
  }
  return merged;
}

void WriteMainStore(const SimulationRun& host, std::span<const ShardResult> shards) {
  const int K = host.tailSize;
  const std::ptrdiff_t M = host.assetCount, N = host.issuerCount;
  const std::vector<SlotSource> order = MergeMainStoreOrder(host, shards);
  // Host slots may move, so read them from a copy.
  const std::vector<double> pnl(host.tailPnl, host.tailPnl + K), multiplier(host.tailMultiplier, host.tailMultiplier + K);
  const std::vector<double> assetPnl(host.tailAssetPnl, host.tailAssetPnl + K * M);
  const std::vector<RatingCode> ratings(host.tailRating, host.tailRating + K * N);
  for (int i = 0; i < K; ++i) {
    const SlotSource& s = order[static_cast<std::size_t>(i)];
    const bool fromHost = s.shard < 0;
    const ShardResult* shard = fromHost ? nullptr : &shards[static_cast<std::size_t>(s.shard)];
    host.tailPnl[i] = fromHost ? pnl[static_cast<std::size_t>(s.slot)] : shard->tailPnl[static_cast<std::size_t>(s.slot)];
    host.tailMultiplier[i] =
        fromHost ? multiplier[static_cast<std::size_t>(s.slot)] : shard->tailMultiplier[static_cast<std::size_t>(s.slot)];
    const double* assets = fromHost ? assetPnl.data() : shard->tailAssetPnl.data();
    const RatingCode* rating = fromHost ? ratings.data() : shard->tailRating.data();
    std::copy_n(assets + s.slot * M, M, host.tailAssetPnl + i * M);
    std::copy_n(rating + s.slot * N, N, host.tailRating + i * N);
  }
}

// Assets first .. last - 1; each asset's column merges on its own.
void WriteRestOfPortfolioColumns(const SimulationRun& host, std::span<const ShardResult> shards, std::ptrdiff_t first,
                                 std::ptrdiff_t last) {
  const int K = host.tailSize;
  const std::ptrdiff_t M = host.assetCount;
  std::vector<double> merged(static_cast<std::size_t>(K)), next(static_cast<std::size_t>(K));
  for (std::ptrdiff_t a = first; a < last; ++a) {
    for (int i = 0; i < K; ++i) merged[static_cast<std::size_t>(i)] = host.tailRestPnl[i * M + a];
    for (const ShardResult& shard : shards) {
      if (!shard.hadLoss) continue;
      int x = 0, y = 0;
      for (int i = 0; i < K; ++i) {
        const double fromShard = shard.tailRestPnl[static_cast<std::size_t>(y * M + a)];
        if (!(fromShard > merged[static_cast<std::size_t>(x)])) {
          next[static_cast<std::size_t>(i)] = fromShard;
          ++y;
        } else {
          next[static_cast<std::size_t>(i)] = merged[static_cast<std::size_t>(x++)];
        }
      }
      merged.swap(next);
    }
    for (int i = 0; i < K; ++i) host.tailRestPnl[i * M + a] = merged[static_cast<std::size_t>(i)];
  }
}

// The columns in bands of assets, one per thread (every shard's K x M array
// is read once, so a large run spends a noticeable time here).
void WriteRestOfPortfolioStore(const SimulationRun& host, std::span<const ShardResult> shards, int threads) {
  const std::ptrdiff_t M = host.assetCount;
  const std::ptrdiff_t bands = std::clamp<std::ptrdiff_t>(threads, 1, std::max<std::ptrdiff_t>(M / 256, 1));
  std::vector<std::thread> helpers;
  for (std::ptrdiff_t band = 1; band < bands; ++band) {
    helpers.emplace_back(WriteRestOfPortfolioColumns, std::cref(host), shards, band * M / bands,
                         (band + 1) * M / bands);
  }
  WriteRestOfPortfolioColumns(host, shards, 0, M / bands);
  for (std::thread& helper : helpers) helper.join();
}

void WriteLatestScenarioArrays(const SimulationRun& host, std::span<const ShardResult> shards) {
  const ShardResult* last = nullptr;
  const ShardResult* lastLoss = nullptr;
  for (const ShardResult& shard : shards) {
    if (shard.scenariosRun > 0) last = &shard;
    if (shard.hadLoss) lastLoss = &shard;
  }
  if (last != nullptr) {
    std::copy(last->issuerPercentile.begin(), last->issuerPercentile.end(), host.issuerPercentile);
    std::copy(last->issuerShock.begin(), last->issuerShock.end(), host.issuerShock);
    std::copy(last->issuerNewRating.begin(), last->issuerNewRating.end(), host.issuerNewRating);
    std::copy(last->assetPnl.begin(), last->assetPnl.end(), host.assetPnl);
    std::copy(last->assetNewSpread.begin(), last->assetNewSpread.end(), host.assetNewSpread);
  }
  if (lastLoss != nullptr) std::copy(lastLoss->assetRestPnl.begin(), lastLoss->assetRestPnl.end(), host.assetRestPnl);
}

}  // namespace

bool HostTailsAreOrdered(const SimulationRun& host) {
  const int K = host.tailSize;
  if (K < 1) return true;
  if (!TailIsAscendingWithoutNaN(host.tailPnl, K, 1)) return false;
  for (std::int32_t a = 0; a < host.assetCount; ++a) {
    if (!TailIsAscendingWithoutNaN(host.tailRestPnl + a, K, host.assetCount)) return false;
  }
  return true;
}

void HostTailBounds(const SimulationRun& host, double& mainBound, double* restBound) {
  const int K = host.tailSize;
  const std::ptrdiff_t M = host.assetCount;
  constexpr double kNoBound = std::numeric_limits<double>::infinity();
  mainBound = TailIsAscendingWithoutNaN(host.tailPnl, K, 1) ? host.tailPnl[K - 1] : kNoBound;
  for (std::ptrdiff_t a = 0; a < M; ++a) {
    restBound[a] = TailIsAscendingWithoutNaN(host.tailRestPnl + a, K, M) ? host.tailRestPnl[(K - 1) * M + a] : kNoBound;
  }
}

void MergeShards(const SimulationRun& host, std::span<const ShardResult> shards, Engine engine, int threads) {
  const bool mergeable = host.tailSize < 1 || (HostTailsAreOrdered(host) &&
                                               std::all_of(shards.begin(), shards.end(), ShardPnlIsFinite));
  if (!mergeable) {
    ReplaySequentially(host, shards, engine);
    return;
  }
  std::int64_t offset = 0;
  for (const ShardResult& shard : shards) {
    std::copy(shard.scenarioPnl.begin(), shard.scenarioPnl.end(), host.scenarioPnl + offset);
    offset += shard.scenariosRun;
  }
  WriteLatestScenarioArrays(host, shards);
  if (host.tailSize >= 1) {
    WriteMainStore(host, shards);
    WriteRestOfPortfolioStore(host, shards, threads);
  }
}

}  // namespace creditsim
