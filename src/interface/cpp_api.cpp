// The C++ entry points: spans in, validation, then the driver.
#include <memory>

#include "creditsim/creditsim.hpp"
#include "interface/run_simulation_call.hpp"
#include "interface/simulation_validation.hpp"
#include "numerics/correlation_factor.hpp"
#include "progress/host_progress_reporter.hpp"
#include "simulation/driver.hpp"

namespace creditsim {

void Correl(std::int32_t n, std::span<const double> correlation, std::span<double> factor) {
  ValidateCorrelation(n, correlation.size(), factor.size());
  FactorCorrelation(n, correlation.data(), factor.data());
}

SimulationOutcome RunSimulationCall(const SimulationRun& run, const SimulationOptions& options) {
  HostProgressReporter reporter(MakeDisplayFor(options), options.cancel, options.pace);
  const RunResult result = RunSimulation(run, options.seed, reporter, options.engine);
  return SimulationOutcome{result.seed, result.scenariosRun, result.cancelled};
}

SimulationOutcome Simulate(const SimulationArrays& arrays, const SimulationParameters& parameters,
                           const SimulationOptions& options) {
  return RunSimulationCall(ValidateSimulation(arrays, parameters), options);
}

}  // namespace creditsim
