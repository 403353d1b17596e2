// The default engine: the same results as the reference engine, bit for bit,
// computed faster.
#pragma once

#include <cstddef>
#include <memory>

#include "simulation/scenario_engine.hpp"

namespace creditsim {

std::unique_ptr<ScenarioEngine> MakeFastEngine(const SimulationRun& run, RandomSource& source);

// Bytes of working memory the fast engine made last (on any thread)
// allocated, once, when it was made. Engines of one run's shards have the
// same size. The process-wide draw tables (2 x 256 KiB, built on first use)
// are not included.
std::size_t LastFastEngineWorkingBytes();

}  // namespace creditsim
