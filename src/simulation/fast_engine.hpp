// The default engine: the same results as the reference engine, bit for bit,
// computed faster.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

#include "simulation/scenario_engine.hpp"

namespace creditsim {

std::unique_ptr<ScenarioEngine> MakeFastEngine(const SimulationRun& run, RandomSource& source);

// Bytes of working memory the fast engine made last (on any thread)
// allocated, once, when it was made. Engines of one run's shards have the
// same size. The process-wide draw tables (2 x 256 KiB, built on first use)
// are not included.
std::size_t LastFastEngineWorkingBytes();

// Engines made after this call hand the next scenario's migration to a
// helper thread when the work per scenario (N (N + 1) / 2 + 8 M) reaches
// `work`, on machines with two or more cores, unless other fast engines are
// running at the time. Tests set 0 to run every case both ways.
void SetFastEngineOverlapThreshold(std::int64_t work);
bool LastFastEngineUsedHelperThread();

// Engines made on the calling thread while `allowed` is false never take a
// helper thread: a sharded run's workers already use the cores it was given.
void AllowHelperThreadOnThisThread(bool allowed);
std::int64_t FastEngineOverlapThreshold();

}  // namespace creditsim
