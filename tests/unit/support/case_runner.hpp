// Runs a host case given as JSON text through the validated driver with a
// recording reporter, for tests that need a small portfolio in a few lines.
#pragma once

#include <string>

#include "host_case.hpp"
#include "interface/simulation_validation.hpp"
#include "simulation/driver.hpp"
#include "support/recording_reporter.hpp"

namespace creditsim::testing {

struct CaseOutcome {
  cli::HostCase arrays;
  std::vector<std::string> calls;
  RunResult result;
};

inline CaseOutcome RunCaseJson(const std::string& json, Engine engine = Engine::Reference, int cancelAtCheck = -1) {
  CaseOutcome outcome{cli::ParseCase(nlohmann::json::parse(json)), {}, {}};
  cli::HostCase& c = outcome.arrays;
  const SimulationRun run = ValidateSimulation(cli::ArraysOf(c), cli::ParametersOf(c), c.IssuerCount(), c.AssetCount());
  RecordingReporter reporter(cancelAtCheck);
  outcome.result = RunSimulation(run, c.seed, reporter, engine);
  outcome.calls = reporter.calls;
  return outcome;
}

}  // namespace creditsim::testing
