// The scenario loop. A check (Report, then Cancelled, then a pause) comes
// before every scenario whose index is a multiple of 100; between two checks
// the engine runs its block of up to 100 scenarios at once.
#include "simulation/driver.hpp"

#include <algorithm>
#include <ctime>

#include "numerics/random_source.hpp"
#include "simulation/fast_engine.hpp"
#include "simulation/scenario_engine.hpp"

namespace creditsim {

std::uint32_t ClockSeed() {
  return static_cast<std::uint32_t>(static_cast<std::uint64_t>(std::time(nullptr)));
}

namespace {

// The check before the block of scenarios starting at s: Report, then
// Cancelled, then the pause. False when the run is to stop here.
bool PassCheck(ProgressReporter& reporter, std::int64_t s, std::int32_t total) {
  reporter.Report(static_cast<std::int32_t>(s), total);
  if (reporter.Cancelled()) {
    reporter.Pause(kCancelPauseMs);
    return false;
  }
  reporter.Pause(kCheckPauseMs);
  return true;
}

}  // namespace

RunResult RunSimulation(const SimulationRun& run, std::optional<std::uint32_t> seed, ProgressReporter& reporter,
                        Engine engine) {
  RunResult result;
  result.seed = seed ? *seed : ClockSeed();
  RandomSource& source = ThreadRandomSource();
  source.Seed(result.seed);
  reporter.Start(run.scenarioCount);
  const std::int64_t total = run.scenarioCount;
  if (total > 0) {
    auto scenarios = engine == Engine::Reference ? MakeReferenceEngine(run, source) : MakeFastEngine(run, source);
    for (std::int64_t s = 0; s < total; s += kScenariosPerCheck) {
      if (!PassCheck(reporter, s, run.scenarioCount)) {
        result.cancelled = true;
        break;
      }
      const std::int64_t last = std::min(s + kScenariosPerCheck, total);
      scenarios->RunScenarios(static_cast<std::int32_t>(s), static_cast<std::int32_t>(last));
      result.scenariosRun = static_cast<std::int32_t>(last);
    }
    scenarios->Complete();
  }
  reporter.Finish();
  return result;
}

std::vector<RunResult> RunSimulationsSideBySide(std::span<const SimulationRun> runs,
                                                std::span<const std::uint32_t> seeds,
                                                std::span<ProgressReporter* const> reporters,
                                                MergeBounds* bounds, int team) {
  const std::size_t count = runs.size();
  std::vector<RunResult> results(count);
  std::vector<RandomSource> sources(count);
  // Runs without scenarios make no engine, as under RunSimulation.
  std::vector<SimulationRun> running;
  std::vector<RandomSource*> runningSources;
  std::vector<std::size_t> runIndex;
  for (std::size_t k = 0; k < count; ++k) {
    results[k].seed = seeds[k];
    sources[k].Seed(seeds[k]);
    reporters[k]->Start(runs[k].scenarioCount);
    if (runs[k].scenarioCount <= 0) continue;
    running.push_back(runs[k]);
    runningSources.push_back(&sources[k]);
    runIndex.push_back(k);
  }
  FastEngineGroup engines(running, runningSources, bounds, team);
  std::vector<std::size_t> members;
  std::vector<std::int32_t> lasts;
  for (std::int64_t s = 0;; s += kScenariosPerCheck) {
    members.clear();
    lasts.clear();
    for (std::size_t m = 0; m < running.size(); ++m) {
      RunResult& result = results[runIndex[m]];
      ProgressReporter& reporter = *reporters[runIndex[m]];
      const std::int64_t total = running[m].scenarioCount;
      if (result.cancelled || s >= total) continue;
      if (!PassCheck(reporter, s, running[m].scenarioCount)) {
        result.cancelled = true;
        continue;
      }
      members.push_back(m);
      lasts.push_back(static_cast<std::int32_t>(std::min(s + kScenariosPerCheck, total)));
    }
    if (members.empty()) break;
    engines.RunScenarios(members, static_cast<std::int32_t>(s), lasts);
    for (std::size_t k = 0; k < members.size(); ++k) results[runIndex[members[k]]].scenariosRun = lasts[k];
  }
  engines.Complete();
  for (std::size_t k = 0; k < count; ++k) reporters[k]->Finish();
  return results;
}

}  // namespace creditsim
