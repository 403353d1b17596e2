// The body of a simulation run: seeding, the progress checks every 100
// scenarios, the scenario loop and what a cancelled run leaves behind.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "creditsim/creditsim.hpp"
#include "progress/progress_reporter.hpp"
#include "simulation/merge_bounds.hpp"
#include "simulation/simulation_run.hpp"

namespace creditsim {

inline constexpr std::int32_t kScenariosPerCheck = 100;

// Low 32 bits of the calendar clock's whole seconds since 1970.
std::uint32_t ClockSeed();

struct RunResult {
  std::uint32_t seed = 0;
  std::int32_t scenariosRun = 0;
  bool cancelled = false;
};

// Runs a validated SimulationRun on the calling thread. Without a seed the
// generator is seeded from the clock.
RunResult RunSimulation(const SimulationRun& run, std::optional<std::uint32_t> seed, ProgressReporter& reporter,
                        Engine engine);

// Runs validated runs over the same inputs (the shards of a sharded run) on
// the calling thread with the fast engine, advancing them side by side so
// that their scenarios share each pass over the factor. Each run has its own
// seed and reporter, sees the same sequence of checks as under
// RunSimulation, and ends exactly as RunSimulation would leave it, except
// that with `bounds` (shards started from empty tails, to be merged into the
// bounds' host) their tails keep only what can reach the merged result.
// With `team` > 1, that many threads share the steps (FastEngineGroup); the
// checks stay on the calling thread.
std::vector<RunResult> RunSimulationsSideBySide(std::span<const SimulationRun> runs,
                                                std::span<const std::uint32_t> seeds,
                                                std::span<ProgressReporter* const> reporters,
                                                MergeBounds* bounds = nullptr, int team = 1);

}  // namespace creditsim
