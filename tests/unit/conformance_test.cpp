// The host-emulation cases with independently computed results: every array
// and every progress call must match, bit for bit, for both engines.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "host_case.hpp"
#include "interface/simulation_validation.hpp"
#include "json_numbers.hpp"
#include "numerics/correlation_factor.hpp"
#include "simulation/driver.hpp"
#include "support/bit_equal.hpp"
#include "support/recording_reporter.hpp"

namespace creditsim {
namespace {

namespace fs = std::filesystem;
const fs::path kConformance = fs::path(CREDITSIM_TEST_DATA) / "conformance";

nlohmann::json ReadJson(const fs::path& path) {
  std::ifstream in(path);
  return nlohmann::json::parse(in);
}

struct ConformanceRun {
  cli::HostCase result;
  std::vector<std::string> calls;
  std::uint32_t seed = 0;
};

ConformanceRun RunThroughDriver(const fs::path& casePath, Engine engine) {
  ConformanceRun run{cli::LoadCaseFile(casePath.string()), {}, 0};
  cli::HostCase& c = run.result;
  const std::int32_t N = c.correlation ? static_cast<std::int32_t>(std::lround(std::sqrt(c.correlation->size())))
                                       : c.IssuerCount();
  if (c.correlation) FactorCorrelation(N, c.correlation->data(), c.Doubles("factor").data());
  for (int call = 0; call < c.repeat; ++call) {
    const SimulationRun simulation = ValidateSimulation(cli::ArraysOf(c), cli::ParametersOf(c), N, c.AssetCount());
    testing::RecordingReporter reporter(c.cancelAtCheck.value_or(-1));
    run.seed = RunSimulation(simulation, c.seed, reporter, engine).seed;
    run.calls.insert(run.calls.end(), reporter.calls.begin(), reporter.calls.end());
  }
  return run;
}

class Conformance : public ::testing::TestWithParam<std::tuple<std::string, Engine>> {};

TEST_P(Conformance, EveryArrayAndProgressCallMatches) {
  const auto& [name, engine] = GetParam();
  ConformanceRun run = RunThroughDriver(kConformance / "cases" / name, engine);
  const nlohmann::json expected = ReadJson(kConformance / "expected" / name);
  for (int i = 0; i < cli::kArrayCount; ++i) {
    const char* key = cli::kArrayNames[i];
    ASSERT_TRUE(expected.contains(key)) << key;
    if (cli::IsInt16Array(i)) {
      EXPECT_TRUE(testing::BitEqual(run.result.arrays[i].ints, expected[key].get<std::vector<std::int16_t>>()))
          << key;
    } else {
      std::vector<double> want;
      for (const auto& v : expected[key]) want.push_back(cli::ReadJsonDouble(v));
      EXPECT_TRUE(testing::BitEqual(run.result.arrays[i].doubles, want)) << key;
    }
  }
  EXPECT_EQ(run.seed, expected["seed"].get<std::uint32_t>());
  EXPECT_EQ(run.calls, expected["progressCalls"].get<std::vector<std::string>>());
}

std::vector<std::string> CaseNames() {
  std::vector<std::string> names;
  for (const auto& entry : fs::directory_iterator(kConformance / "cases")) names.push_back(entry.path().filename());
  std::sort(names.begin(), names.end());
  return names;
}

INSTANTIATE_TEST_SUITE_P(Cases, Conformance,
                         ::testing::Combine(::testing::ValuesIn(CaseNames()),
                                            ::testing::Values(Engine::Reference, Engine::Fast)),
                         [](const auto& info) {
                           std::string name = std::get<0>(info.param).substr(0, 9);
                           std::replace(name.begin(), name.end(), '-', '_');
                           return name + (std::get<1>(info.param) == Engine::Fast ? "_fast" : "_reference");
                         });

}  // namespace
}  // namespace creditsim
