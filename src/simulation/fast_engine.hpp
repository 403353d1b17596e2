// The default engine: the same results as the reference engine, bit for bit,
// computed faster.
#pragma once

#include <memory>

#include "simulation/scenario_engine.hpp"

namespace creditsim {

std::unique_ptr<ScenarioEngine> MakeFastEngine(const SimulationRun& run, RandomSource& source);

}  // namespace creditsim
