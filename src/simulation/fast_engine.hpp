// The default engine: the same results as the reference engine, bit for bit,
// computed faster.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>

#include "simulation/merge_bounds.hpp"
#include "simulation/scenario_engine.hpp"

namespace creditsim {

std::unique_ptr<ScenarioEngine> MakeFastEngine(const SimulationRun& run, RandomSource& source);

// Runs over the same portfolio inputs (the shards of a sharded run, which
// differ only in their generators and output arrays), advanced side by side
// on the calling thread (or a team of threads). Each scenario step draws
// every run's issuer shocks, correlates them all in one pass over the
// factor, then finishes each run's scenario on its own. Every run ends exactly as it would have alone; the
// runs share one packed copy of the factor.
class FastEngineGroup {
 public:
  // `runs` must share their inputs; each draws from its own source. Both
  // must outlive the group. With `bounds`, the runs are shards that start
  // from empty tails and will be merged into the host the bounds were made
  // for: their tails then keep only what can reach the merged result (see
  // MergeBounds), which leaves the merge unchanged but makes each run's own
  // tails incomplete.
  //
  // With `team` > 1 the group's steps are shared by that many threads (the
  // caller's and team - 1 helpers the group starts): each draws, prices and
  // records its share of the runs, and takes panels of the product of all
  // of them in turn. A large factor is then streamed once per step rather
  // than once per thread; every run still ends with the same bits.
  FastEngineGroup(std::span<const SimulationRun> runs, std::span<RandomSource* const> sources,
                  MergeBounds* bounds = nullptr, int team = 1);
  ~FastEngineGroup();

  // Runs scenarios first .. lasts[k] - 1 of each run members[k], in step.
  void RunScenarios(std::span<const std::size_t> members, std::int32_t first, std::span<const std::int32_t> lasts);
  // As ScenarioEngine::Complete, for every run.
  void Complete();

 private:
  struct Members;
  std::unique_ptr<Members> members_;
};

// The most working memory that fast engines held at once (on all threads
// together) since the last reset; each engine allocates its block once, when
// it is made. The process-wide draw tables (2 x 256 KiB, built on first use)
// are not included.
std::size_t PeakFastEngineWorkingBytes();
void ResetPeakFastEngineWorkingBytes();

// Engines made after this call hand the next scenario's migration to a
// helper thread when the work per scenario (N (N + 1) / 2 + 8 M) reaches
// `work`, on machines with two or more cores, unless other fast engines are
// running at the time. Tests set 0 to run every case both ways.
void SetFastEngineOverlapThreshold(std::int64_t work);
bool LastFastEngineUsedHelperThread();

// Sharded runs whose packed factor holds at least this many bytes (default
// 4 MiB, where it no longer fits a core's own cache) run each group of
// shards on a team of two threads. Tests set 0 to run small cases so.
void SetTeamFactorBytes(std::size_t bytes);
std::size_t TeamFactorBytes();

// Engines made on the calling thread while `allowed` is false never take a
// helper thread: a sharded run's workers already use the cores it was given.
void AllowHelperThreadOnThisThread(bool allowed);
std::int64_t FastEngineOverlapThreshold();

}  // namespace creditsim
