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
      reporter.Report(static_cast<std::int32_t>(s), run.scenarioCount);
      if (reporter.Cancelled()) {
        reporter.Pause(kCancelPauseMs);
        result.cancelled = true;
        break;
      }
      reporter.Pause(kCheckPauseMs);
      const std::int64_t last = std::min(s + kScenariosPerCheck, total);
      scenarios->RunScenarios(static_cast<std::int32_t>(s), static_cast<std::int32_t>(last));
      result.scenariosRun = static_cast<std::int32_t>(last);
    }
    scenarios->Complete();
  }
  reporter.Finish();
  return result;
}

}  // namespace creditsim
