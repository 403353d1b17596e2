// Placeholder until the optimised engine lands: runs the reference engine.
#include "simulation/fast_engine.hpp"

namespace creditsim {

std::unique_ptr<ScenarioEngine> MakeFastEngine(const SimulationRun& run, RandomSource& source) {
  return MakeReferenceEngine(run, source);
}

}  // namespace creditsim
