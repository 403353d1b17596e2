// An engine runs consecutive scenarios of one run; the driver decides when
// (between progress checks) and how many.
#pragma once

#include <cstdint>
#include <memory>

#include "numerics/random_source.hpp"
#include "simulation/simulation_run.hpp"

namespace creditsim {

class ScenarioEngine {
 public:
  virtual ~ScenarioEngine() = default;
  // Runs scenarios first .. last-1 in order, drawing from the run's source.
  virtual void RunScenarios(std::int32_t first, std::int32_t last) = 0;
  // Leaves the host's arrays exactly as the step-by-step run would after the
  // last scenario run so far. Called once, before the run returns.
  virtual void Complete() = 0;
};

// The straightforward engine: every stage in place in the host's arrays, one
// scenario after another.
std::unique_ptr<ScenarioEngine> MakeReferenceEngine(const SimulationRun& run, RandomSource& source);

}  // namespace creditsim
