// The body of a simulation run: seeding, the progress checks every 100
// scenarios, the scenario loop and what a cancelled run leaves behind.
#pragma once

#include <cstdint>
#include <optional>

#include "creditsim/creditsim.hpp"
#include "progress/progress_reporter.hpp"
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

}  // namespace creditsim
