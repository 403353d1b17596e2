// Sharded runs on a pool of threads. Each worker takes the next shard in
// shard order and runs it as an ordinary run on the shard's own arrays; the
// calling thread shows the combined progress and turns a cancellation into
// a request every shard sees at its next check. The merge then happens in
// shard order, so neither the thread count nor the timing can change a bit
// of the result.
#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <exception>
#include <limits>
#include <mutex>
#include <thread>
#include <vector>

#include "creditsim/shards.hpp"
#include "interface/simulation_validation.hpp"
#include "progress/host_progress_reporter.hpp"
#include "simulation/driver.hpp"
#include "simulation/fast_engine.hpp"
#include "simulation/shard_merge.hpp"
#include "simulation/shard_plan.hpp"
#include "simulation/shock_correlation.hpp"
#include "simulation/working_memory.hpp"

namespace creditsim {
namespace {

constexpr double kEmptySlot = std::numeric_limits<double>::infinity();

// Sizes a shard's array of K x M values: a fresh allocation is offered as
// huge pages before it is filled (eight shards of a large portfolio hold
// hundreds of megabytes, and first touching them in small pages is a large
// share of a short run).
template <class T>
void AssignTail(std::vector<T>& array, std::size_t count, T value) {
  if (array.capacity() < count) {
    std::vector<T>().swap(array);
    array.reserve(count);
    AdviseHugePages(array.data(), count * sizeof(T));
  }
  array.assign(count, value);
}

// Points a run at the shard's own output arrays; inputs stay the host's.
SimulationRun ShardRun(const SimulationRun& host, ShardResult& shard, std::int32_t scenarioCount) {
  const std::size_t N = static_cast<std::size_t>(host.issuerCount), M = static_cast<std::size_t>(host.assetCount);
  const std::size_t K = static_cast<std::size_t>(std::max<int>(host.tailSize, 0));
  shard.scenarioPnl.assign(static_cast<std::size_t>(std::max(scenarioCount, 0)), 0.0);
  shard.issuerPercentile.assign(N, 0.0);
  shard.issuerShock.assign(N, 0.0);
  shard.issuerNewRating.assign(N, 0);
  shard.assetPnl.assign(M, 0.0);
  shard.assetNewSpread.assign(host.assetNewSpread, host.assetNewSpread + M);
  shard.assetRestPnl.assign(host.assetRestPnl, host.assetRestPnl + M);
  shard.tailPnl.assign(K, kEmptySlot);
  AssignTail(shard.tailAssetPnl, K * M, 0.0);
  AssignTail<std::int16_t>(shard.tailRating, K * N, 0);
  shard.tailMultiplier.assign(K, 0.0);
  AssignTail(shard.tailRestPnl, K * M, kEmptySlot);

  SimulationRun run = host;
  run.scenarioCount = scenarioCount;
  run.scenarioPnl = shard.scenarioPnl.data();
  run.issuerPercentile = shard.issuerPercentile.data();
  run.issuerShock = shard.issuerShock.data();
  run.issuerNewRating = shard.issuerNewRating.data();
  run.assetPnl = shard.assetPnl.data();
  run.assetNewSpread = shard.assetNewSpread.data();
  run.assetRestPnl = shard.assetRestPnl.data();
  run.tailPnl = shard.tailPnl.data();
  run.tailAssetPnl = shard.tailAssetPnl.data();
  run.tailRating = shard.tailRating.data();
  run.tailMultiplier = shard.tailMultiplier.data();
  run.tailRestPnl = shard.tailRestPnl.data();
  return run;
}

void RecordRun(ShardResult& shard, const RunResult& result) {
  shard.scenariosRun = result.scenariosRun;
  shard.scenarioPnl.resize(static_cast<std::size_t>(result.scenariosRun));
  shard.hadLoss = std::any_of(shard.scenarioPnl.begin(), shard.scenarioPnl.end(), [](double v) { return v < 0; });
}

ShardResult RunOneShard(const SimulationRun& host, std::uint32_t seed, std::int32_t scenarioCount,
                        ProgressReporter& reporter, Engine engine) {
  ShardResult shard;
  shard.seed = seed;
  const SimulationRun run = ShardRun(host, shard, scenarioCount);
  RecordRun(shard, RunSimulation(run, seed, reporter, engine));
  return shard;
}

// Shards run side by side on one thread share their passes over the factor;
// more than this many would mostly add working memory.
constexpr std::size_t kShardsSideBySide = 4;

// A large factor is read from the shared cache, not from the core's own:
// pairs of workers then share the steps of one group of shards, each
// streaming its share of the factor's panels once per step for all of them,
// instead of each worker streaming the whole factor for its own group.
int TeamSize(const SimulationRun& host, Engine engine, int threads) {
  const bool large = FactorPanelDoubles(host.issuerCount) * sizeof(double) >= TeamFactorBytes();
  return engine == Engine::Fast && threads >= 2 && large ? 2 : 1;
}

// Runs shards first .. first + count - 1 of the plan into `results`, side by
// side with the fast engine (on `team` threads), one after another with the
// reference engine.
void RunShardGroup(const SimulationRun& host, const ShardPlan& plan, std::size_t first, std::size_t count,
                   std::span<ProgressReporter* const> reporters, Engine engine, MergeBounds& bounds,
                   std::vector<ShardResult>& results, int team = 1) {
  if (engine == Engine::Reference || count == 1) {
    for (std::size_t k = 0; k < count; ++k) {
      const std::size_t i = first + k;
      results[i] = RunOneShard(host, plan.seeds[i], plan.scenarios[i], *reporters[k], engine);
    }
    return;
  }
  std::vector<SimulationRun> runs;
  for (std::size_t k = 0; k < count; ++k) {
    const std::size_t i = first + k;
    results[i].seed = plan.seeds[i];
    runs.push_back(ShardRun(host, results[i], plan.scenarios[i]));
  }
  const std::vector<RunResult> outcomes =
      RunSimulationsSideBySide(runs, std::span(plan.seeds).subspan(first, count), reporters, &bounds, team);
  for (std::size_t k = 0; k < count; ++k) RecordRun(results[first + k], outcomes[k]);
}

// A shard's reporter: adds its progress to the run's total and sees the
// run's cancellation. It never pauses: pacing exists for an interactive
// display, which here belongs to the calling thread.
class ShardReporter final : public ProgressReporter {
 public:
  ShardReporter(std::atomic<std::int64_t>& done, const std::atomic<bool>& cancel, const CancelToken* hostCancel)
      : done_(done), cancel_(cancel), hostCancel_(hostCancel) {}
  void Start(std::int32_t) override {}
  void Report(std::int32_t done, std::int32_t) override {
    done_ += done - reported_;
    reported_ = done;
  }
  bool Cancelled() override {
    return cancel_.load(std::memory_order_relaxed) || (hostCancel_ != nullptr && hostCancel_->Requested());
  }
  void Pause(int) override {}
  void Finish() override {}

 private:
  std::atomic<std::int64_t>& done_;
  const std::atomic<bool>& cancel_;
  const CancelToken* hostCancel_;
  std::int32_t reported_ = 0;
};

int WorkerCount(const ShardingOptions& sharding) {
  int threads = sharding.threads > 0 ? sharding.threads : static_cast<int>(std::thread::hardware_concurrency());
  return std::clamp(threads, 1, sharding.shards);
}

}  // namespace

ShardResult RunShard(const SimulationArrays& arrays, const SimulationParameters& parameters, std::uint32_t seed,
                     std::int32_t scenarioCount, const SimulationOptions& options) {
  SimulationParameters hostParameters = parameters;
  hostParameters.scenarioCount = 0;  // the shard writes its own scenario array
  const SimulationRun host = ValidateSimulation(arrays, hostParameters);
  HostProgressReporter reporter(MakeDisplayFor(options), options.cancel, options.pace);
  return RunOneShard(host, seed, scenarioCount, reporter, options.engine);
}

std::vector<ShardResult> RunShardsForMerge(const SimulationArrays& arrays, const SimulationParameters& parameters,
                                          std::span<const std::uint32_t> seeds,
                                          std::span<const std::int32_t> scenarioCounts,
                                          const SimulationOptions& options) {
  if (seeds.size() != scenarioCounts.size()) {
    throw Error(CREDITSIM_ERROR_COUNT_RANGE, "RunShardsForMerge: seeds and scenarioCounts differ in length");
  }
  SimulationParameters hostParameters = parameters;
  hostParameters.scenarioCount = 0;  // each shard writes its own scenario array
  const SimulationRun host = ValidateSimulation(arrays, hostParameters);
  const ShardPlan plan{0, {scenarioCounts.begin(), scenarioCounts.end()}, {seeds.begin(), seeds.end()}};
  std::vector<ShardResult> results(seeds.size());
  MergeBounds bounds(host, static_cast<std::int32_t>(seeds.size()));
  for (std::size_t first = 0; first < results.size(); first += kShardsSideBySide) {
    const std::size_t count = std::min(kShardsSideBySide, results.size() - first);
    std::vector<std::unique_ptr<HostProgressReporter>> reporters;
    std::vector<ProgressReporter*> reporting;
    for (std::size_t k = 0; k < count; ++k) {
      reporters.push_back(
          std::make_unique<HostProgressReporter>(MakeDisplayFor(options), options.cancel, options.pace));
      reporting.push_back(reporters.back().get());
    }
    RunShardGroup(host, plan, first, count, reporting, options.engine, bounds, results);
  }
  return results;
}

std::vector<std::int32_t> PlanShards(const SimulationArrays& arrays, const SimulationParameters& parameters,
                                     std::int32_t shardCount) {
  return MakeShardPlan(ValidateSimulation(arrays, parameters), 0, shardCount).scenarios;
}

void MergeShardResults(const SimulationArrays& arrays, const SimulationParameters& parameters,
                       std::span<const ShardResult> shards, Engine engine) {
  SimulationParameters total = parameters;
  std::int64_t scenarios = 0;
  for (const ShardResult& shard : shards) scenarios += shard.scenariosRun;
  total.scenarioCount = static_cast<std::int32_t>(std::min<std::int64_t>(scenarios, INT32_MAX));
  MergeShards(ValidateSimulation(arrays, total), shards, engine);
}

SimulationOutcome SimulateSharded(const SimulationArrays& arrays, const SimulationParameters& parameters,
                                  const ShardingOptions& sharding, const SimulationOptions& options) {
  const SimulationRun host = ValidateSimulation(arrays, parameters);
  SimulationOutcome outcome;
  outcome.seed = options.seed ? *options.seed : ClockSeed();
  const ShardPlan plan = MakeShardPlan(host, outcome.seed, sharding.shards);

  std::vector<ShardResult> results(plan.scenarios.size());
  std::atomic<std::int64_t> done{0};
  std::atomic<bool> cancel{false};
  std::atomic<std::size_t> nextShard{0};
  MergeBounds bounds(host, sharding.shards);
  const int threadCount = WorkerCount(sharding);
  const int team = TeamSize(host, options.engine, threadCount);
  const int workers = threadCount / team;  // each with team - 1 helpers
  // With an odd number of threads in teams, the last team takes the spare one.
  const auto teamOf = [&](int worker) { return worker == workers - 1 ? threadCount - team * (workers - 1) : team; };
  const std::size_t shardCount = results.size();
  const std::size_t perGroup = std::clamp<std::size_t>((shardCount + workers - 1) / workers, 1,
                                                       kShardsSideBySide * static_cast<std::size_t>(team));
  std::mutex mutex;
  std::condition_variable finished;
  int running = workers;
  std::exception_ptr failure;

  auto worker = [&](int index) {
    AllowHelperThreadOnThisThread(false);  // the pool already has the cores it was given
    try {
      for (std::size_t first = nextShard.fetch_add(perGroup); first < shardCount;
           first = nextShard.fetch_add(perGroup)) {
        const std::size_t count = std::min(perGroup, shardCount - first);
        std::vector<ShardReporter> reporters(count, ShardReporter(done, cancel, options.cancel));
        std::vector<ProgressReporter*> reporting;
        for (ShardReporter& reporter : reporters) reporting.push_back(&reporter);
        RunShardGroup(host, plan, first, count, reporting, options.engine, bounds, results, teamOf(index));
      }
    } catch (...) {
      std::lock_guard lock(mutex);
      if (!failure) failure = std::current_exception();
      cancel = true;
    }
    std::lock_guard lock(mutex);
    --running;
    finished.notify_all();
  };

  auto display = MakeDisplayFor(options);
  display->Open(kProgressTitle, FormatProgressLine(parameters.scenarioCount), parameters.scenarioCount);
  std::vector<std::thread> threads;
  for (int t = 0; t < workers; ++t) threads.emplace_back(worker, t);
  bool shownCancel = false;
  {
    std::unique_lock lock(mutex);
    while (running > 0) {
      finished.wait_for(lock, std::chrono::milliseconds(100));
      lock.unlock();
      const auto total = static_cast<std::int32_t>(std::min<std::int64_t>(done.load(), INT32_MAX));
      if (display->Update(total, parameters.scenarioCount) || (options.cancel && options.cancel->Requested())) {
        cancel = true;
      }
      if (cancel && !shownCancel && !failure) {
        display->ShowCancelled(kCancelMessage);
        shownCancel = true;
      }
      lock.lock();
    }
  }
  for (auto& thread : threads) thread.join();
  display->Close();
  if (failure) std::rethrow_exception(failure);

  MergeShards(host, results, options.engine, threadCount);
  for (const ShardResult& shard : results) outcome.scenariosRun += shard.scenariosRun;
  outcome.cancelled = outcome.scenariosRun < std::max(parameters.scenarioCount, 0);
  return outcome;
}

}  // namespace creditsim
