// Each shard result travels to rank 0 as two messages: one of doubles (the
// scenario P&L, the latest-scenario arrays and the tails) and one of 16-bit
// integers (ratings), preceded by a small header. Rank 0 merges with the
// same library function a single process uses, in shard order, so the
// bytes cannot depend on how the shards were spread.
#include "mpi_shards.hpp"

#include <algorithm>
#include <stdexcept>
#include <thread>
#include <vector>

#include "simulation/driver.hpp"

namespace creditsim::mpi {
namespace {

constexpr int kHeaderTag = 1, kDoublesTag = 2, kIntsTag = 3;

std::vector<std::vector<double>*> DoubleParts(ShardResult& r) {
  return {&r.scenarioPnl, &r.issuerPercentile, &r.issuerShock, &r.assetNewSpread, &r.assetPnl,
          &r.assetRestPnl, &r.tailPnl, &r.tailAssetPnl, &r.tailMultiplier, &r.tailRestPnl};
}
std::vector<std::vector<std::int16_t>*> IntParts(ShardResult& r) { return {&r.issuerNewRating, &r.tailRating}; }

// Header: seed, scenariosRun, hadLoss, then the length of every part.
void SendShard(ShardResult& r, MPI_Comm communicator) {
  std::vector<long long> header{static_cast<long long>(r.seed), r.scenariosRun, r.hadLoss ? 1 : 0};
  std::vector<double> doubles;
  std::vector<std::int16_t> ints;
  for (auto* part : DoubleParts(r)) {
    header.push_back(static_cast<long long>(part->size()));
    doubles.insert(doubles.end(), part->begin(), part->end());
  }
  for (auto* part : IntParts(r)) {
    header.push_back(static_cast<long long>(part->size()));
    ints.insert(ints.end(), part->begin(), part->end());
  }
  MPI_Send(header.data(), static_cast<int>(header.size()), MPI_LONG_LONG, 0, kHeaderTag, communicator);
  MPI_Send(doubles.data(), static_cast<int>(doubles.size()), MPI_DOUBLE, 0, kDoublesTag, communicator);
  MPI_Send(ints.data(), static_cast<int>(ints.size()), MPI_INT16_T, 0, kIntsTag, communicator);
}

ShardResult ReceiveShard(int source, MPI_Comm communicator) {
  ShardResult r;
  std::vector<long long> header(3 + DoubleParts(r).size() + IntParts(r).size());
  MPI_Recv(header.data(), static_cast<int>(header.size()), MPI_LONG_LONG, source, kHeaderTag, communicator,
           MPI_STATUS_IGNORE);
  r.seed = static_cast<std::uint32_t>(header[0]);
  r.scenariosRun = static_cast<std::int32_t>(header[1]);
  r.hadLoss = header[2] != 0;
  const std::size_t doubleParts = DoubleParts(r).size();
  std::size_t field = 3, doubleCount = 0, intCount = 0;
  for (; field < 3 + doubleParts; ++field) doubleCount += static_cast<std::size_t>(header[field]);
  for (; field < header.size(); ++field) intCount += static_cast<std::size_t>(header[field]);
  std::vector<double> doubles(doubleCount);
  std::vector<std::int16_t> ints(intCount);
  MPI_Recv(doubles.data(), static_cast<int>(doubleCount), MPI_DOUBLE, source, kDoublesTag, communicator,
           MPI_STATUS_IGNORE);
  MPI_Recv(ints.data(), static_cast<int>(intCount), MPI_INT16_T, source, kIntsTag, communicator, MPI_STATUS_IGNORE);
  field = 3;
  auto nextDouble = doubles.begin();
  for (auto* part : DoubleParts(r)) {
    const auto size = static_cast<std::ptrdiff_t>(header[field++]);
    part->assign(nextDouble, nextDouble + size);
    nextDouble += size;
  }
  auto nextInt = ints.begin();
  for (auto* part : IntParts(r)) {
    const auto size = static_cast<std::ptrdiff_t>(header[field++]);
    part->assign(nextInt, nextInt + size);
    nextInt += size;
  }
  return r;
}

// Runs this rank's shards (given by index) on a few threads. Each thread
// takes an equal run of consecutive own shards; RunShardsForMerge runs them
// side by side, a few at a time.
std::vector<ShardResult> RunOwnShards(const SimulationArrays& arrays, const SimulationParameters& parameters,
                                      const std::vector<int>& own, const std::vector<std::int32_t>& counts,
                                      std::uint32_t seed, int shardCount, int threads, const SimulationOptions& options) {
  std::vector<ShardResult> results(own.size());
  if (own.empty()) return results;  // more ranks than shards
  SimulationOptions shardOptions = options;
  shardOptions.progress = nullptr;
  shardOptions.terminalProgress = false;
  const int workers = std::clamp(threads > 0 ? threads : static_cast<int>(std::thread::hardware_concurrency()), 1,
                                 std::max<int>(1, static_cast<int>(own.size())));
  const auto workerCount = static_cast<std::size_t>(workers);
  const std::size_t perWorker = (own.size() + workerCount - 1) / workerCount;
  auto work = [&](std::size_t first) {
    const std::size_t last = std::min(own.size(), first + perWorker);
    std::vector<std::uint32_t> seeds;
    std::vector<std::int32_t> shardCounts;
    for (std::size_t k = first; k < last; ++k) {
      seeds.push_back(ShardSeed(seed, own[k], shardCount));
      shardCounts.push_back(counts[static_cast<std::size_t>(own[k])]);
    }
    std::vector<ShardResult> mine = RunShardsForMerge(arrays, parameters, seeds, shardCounts, shardOptions);
    std::move(mine.begin(), mine.end(), results.begin() + static_cast<std::ptrdiff_t>(first));
  };
  std::vector<std::thread> pool;
  for (std::size_t first = 0; first < own.size(); first += perWorker) pool.emplace_back(work, first);
  for (auto& thread : pool) thread.join();
  return results;
}

}  // namespace

SimulationOutcome SimulateShardedOverRanks(const SimulationArrays& arrays, const SimulationParameters& parameters,
                                           const ShardingOptions& sharding, const SimulationOptions& options,
                                           MPI_Comm communicator) {
  int rank = 0, ranks = 1;
  MPI_Comm_rank(communicator, &rank);
  MPI_Comm_size(communicator, &ranks);
  // Every rank must use rank 0's seed, also when it came from the clock.
  std::uint32_t seed = options.seed ? *options.seed : ClockSeed();
  MPI_Bcast(&seed, 1, MPI_UINT32_T, 0, communicator);

  const int P = sharding.shards;
  const std::vector<std::int32_t> counts = PlanShards(arrays, parameters, P);
  const std::int64_t total = std::max(parameters.scenarioCount, 0);
  std::vector<int> own;
  for (int i = rank; i < P; i += ranks) own.push_back(i);
  std::vector<ShardResult> mine =
      RunOwnShards(arrays, parameters, own, counts, seed, P, sharding.threads, options);

  SimulationOutcome outcome;
  outcome.seed = seed;
  if (rank != 0) {
    for (auto& result : mine) SendShard(result, communicator);
  } else {
    std::vector<ShardResult> all(static_cast<std::size_t>(P));
    for (std::size_t k = 0; k < own.size(); ++k) all[static_cast<std::size_t>(own[k])] = std::move(mine[k]);
    for (int i = 0; i < P; ++i) {
      if (i % ranks != 0) all[static_cast<std::size_t>(i)] = ReceiveShard(i % ranks, communicator);
    }
    MergeShardResults(arrays, parameters, all, options.engine);
    for (const auto& shard : all) outcome.scenariosRun += shard.scenariosRun;
  }
  MPI_Bcast(&outcome.scenariosRun, 1, MPI_INT32_T, 0, communicator);
  outcome.cancelled = outcome.scenariosRun < total;
  return outcome;
}

}  // namespace creditsim::mpi
