// The part of a Simulate call shared by the C and C++ entry points: pick the
// progress binding from the options and run the validated SimulationRun.
#pragma once

#include "creditsim/creditsim.hpp"
#include "simulation/simulation_run.hpp"

namespace creditsim {

SimulationOutcome RunSimulationCall(const SimulationRun& run, const SimulationOptions& options);

}  // namespace creditsim
