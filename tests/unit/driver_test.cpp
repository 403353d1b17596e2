// The driver's sequence of progress calls and pauses, what a cancelled run
// leaves behind, and the number of random values each scenario takes.
#include <gtest/gtest.h>

#include <random>

#include "numerics/random_source.hpp"
#include "support/bit_equal.hpp"
#include "support/case_runner.hpp"
#include "support/random_case.hpp"

namespace creditsim {
namespace {

using testing::RunCaseJson;
using Calls = std::vector<std::string>;

// One issuer, one bond; fixed seed. Threshold 0.5 everywhere: the issuer
// keeps grade 1 in the upper half of its percentiles and defaults otherwise.
std::string OneBond(int scenarios, const std::string& extra = "") {
  std::string thresholds = "[";
  for (int i = 0; i < 49; ++i) thresholds += std::string(i ? "," : "") + "0.5";
  thresholds += "]";
  return R"({"factor":[1.0],"issuerRating":[3],"migrationThreshold":)" + thresholds +
         R"(,"assetFace":[100.0],"assetValue":[100.0],"assetKind":[1],"assetSpread":[50.0],
            "assetDuration":[4.0],"spreadTable":[0,10,20,30,40,50,60,70,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0],
            "scenarioCount":)" + std::to_string(scenarios) + R"(,"tailSize":2,"spreadVolatility":0.2,
            "market1Volatility":0.1,"market2Volatility":0.1,"recoveryMeanA":0.4,"recoveryMeanB":0.4,"seed":77)" + extra + "}";
}

// A JSON key holding `count` copies of -7.0.
std::string Filled(const char* key, int count) {
  std::string text = std::string(",\"") + key + "\":[";
  for (int i = 0; i < count; ++i) text += std::string(i ? "," : "") + "-7.0";
  return text + "]";
}

Calls ChecksUpTo(int total, int lastCheck) {
  Calls calls{"Start " + std::to_string(total)};
  for (int s = 0; s <= lastCheck; s += 100) {
    calls.insert(calls.end(), {"Report " + std::to_string(s) + " " + std::to_string(total), "Cancelled", "Pause 100"});
  }
  calls.push_back("Finish");
  return calls;
}

TEST(Driver, ProgressCallsForEveryScenarioCount) {
  struct Case {
    int scenarios;
    Calls calls;
  };
  const Case cases[] = {
      {0, {"Start 0", "Finish"}},
      {-5, {"Start -5", "Finish"}},
      {1, ChecksUpTo(1, 0)},
      {100, ChecksUpTo(100, 0)},
      {101, ChecksUpTo(101, 100)},
      {250, ChecksUpTo(250, 200)},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(RunCaseJson(OneBond(c.scenarios)).calls, c.calls) << c.scenarios << " scenarios";
  }
}

TEST(Driver, NoScenariosWritesNothing) {
  auto outcome = RunCaseJson(OneBond(0, Filled("assetPnl", 1) + Filled("issuerShock", 1)));
  EXPECT_EQ(outcome.arrays.Doubles("assetPnl"), std::vector<double>{-7.0});
  EXPECT_EQ(outcome.arrays.Doubles("issuerShock"), std::vector<double>{-7.0});
}

TEST(Driver, CancellationAtACheckLeavesAShorterRun) {
  const std::string untouched = Filled("scenarioPnl", 1000);
  const auto cancelled = RunCaseJson(OneBond(1000, untouched), Engine::Reference, 3);
  Calls expected = ChecksUpTo(1000, 200);
  expected.pop_back();
  expected.insert(expected.end(), {"Report 300 1000", "Cancelled", "Pause 1000", "Finish"});
  EXPECT_EQ(cancelled.calls, expected);
  EXPECT_TRUE(cancelled.result.cancelled);
  EXPECT_EQ(cancelled.result.scenariosRun, 300);

  // Everything equals a 300-scenario run, except that positions 300.. of
  // scenarioPnl keep the host's content.
  const auto shorter = RunCaseJson(OneBond(300, untouched));
  for (int i = 0; i < cli::kArrayCount; ++i) {
    if (i == 22) continue;
    EXPECT_EQ(cancelled.arrays.arrays[i].doubles, shorter.arrays.arrays[i].doubles) << cli::kArrayNames[i];
    EXPECT_EQ(cancelled.arrays.arrays[i].ints, shorter.arrays.arrays[i].ints) << cli::kArrayNames[i];
  }
  const auto& pnl = cancelled.arrays.arrays[22].doubles;
  EXPECT_EQ(std::vector<double>(pnl.begin(), pnl.begin() + 300),
            std::vector<double>(shorter.arrays.arrays[22].doubles.begin(), shorter.arrays.arrays[22].doubles.begin() + 300));
  EXPECT_EQ(std::vector<double>(pnl.begin() + 300, pnl.end()), std::vector<double>(700, -7.0));
}

TEST(Driver, CancellationBeforeTheFirstScenarioWritesNothing) {
  auto outcome = RunCaseJson(OneBond(50, Filled("scenarioPnl", 50) + Filled("assetPnl", 1)), Engine::Reference, 0);
  EXPECT_EQ(outcome.calls, (Calls{"Start 50", "Report 0 50", "Cancelled", "Pause 1000", "Finish"}));
  EXPECT_EQ(outcome.result.scenariosRun, 0);
  EXPECT_EQ(outcome.arrays.Doubles("scenarioPnl"), std::vector<double>(50, -7.0));
  EXPECT_EQ(outcome.arrays.Doubles("assetPnl"), std::vector<double>{-7.0});
}

TEST(Driver, EachScenarioTakesIssuersPlusThreePlusOnePerDefault) {
  // Run one scenario at a time and compare the generator's advance with the
  // defaults the scenario reports (new rating 8 on the single issuer).
  for (int s = 0; s < 40; ++s) {
    const std::string json = OneBond(1, "").replace(OneBond(1, "").find(R"("seed":77)"), 9, R"("seed":)" + std::to_string(s));
    const auto outcome = RunCaseJson(json);
    const bool defaulted = outcome.arrays.arrays[5].ints[0] == 8;
    RandomSource expected;
    expected.Seed(static_cast<std::uint32_t>(s));
    expected.Advance(1 + 3 + (defaulted ? 1 : 0));
    EXPECT_EQ(ThreadRandomSource().State(), expected.State()) << "seed " << s;
  }
}

TEST(Driver, TwoRunsWithTheSameSeedPairUpTheirTails) {
  // K = 4 over two identical runs: every low value comes twice.
  std::string json = OneBond(30);
  json.replace(json.find(R"("tailSize":2)"), 12, R"("tailSize":4)");
  json.insert(json.size() - 1, R"(,"tailPnl":[1e300,1e300,1e300,1e300])");
  cli::HostCase c = cli::ParseCase(nlohmann::json::parse(json));
  for (int call = 0; call < 2; ++call) {
    const SimulationRun run = ValidateSimulation(cli::ArraysOf(c), cli::ParametersOf(c), 1, 1);
    testing::RecordingReporter reporter;
    RunSimulation(run, 77u, reporter, Engine::Reference);
  }
  const auto& tail = c.Doubles("tailPnl");
  EXPECT_EQ(tail[0], tail[1]);
  EXPECT_EQ(tail[2], tail[3]);
  EXPECT_LT(tail[1], tail[2]);
}

TEST(Driver, RunsSideBySideEndAsEachRunAlone) {
  // Four copies of a random case with their own seeds, lengths and
  // cancellation points, run side by side (on one, two or three threads),
  // against each copy run alone.
  std::mt19937_64 random(31);
  for (int trial = 0; trial < 24; ++trial) {
    const cli::HostCase base = testing::MakeRandomCase(random, {.allowNaN = trial % 3 == 0});
    const int N = base.IssuerCount(), M = base.AssetCount();
    const int cancelAt[] = {-1, trial % 3, -1, 1};
    std::vector<cli::HostCase> together(4, base), alone(4, base);
    std::vector<SimulationRun> runs;
    std::vector<std::uint32_t> seeds;
    std::vector<testing::RecordingReporter> reporters;
    for (int k = 0; k < 4; ++k) {
      together[k].scenarioCount = alone[k].scenarioCount = std::max(0, base.scenarioCount - 41 * k);
      runs.push_back(ValidateSimulation(cli::ArraysOf(together[k]), cli::ParametersOf(together[k]), N, M));
      seeds.push_back(1000u * static_cast<std::uint32_t>(trial) + static_cast<std::uint32_t>(k));
      reporters.emplace_back(cancelAt[k]);
    }
    std::vector<ProgressReporter*> reporting;
    for (auto& reporter : reporters) reporting.push_back(&reporter);
    const int team = 1 + trial % 3;
    const std::vector<RunResult> results = RunSimulationsSideBySide(runs, seeds, reporting, nullptr, team);
    for (int k = 0; k < 4; ++k) {
      const SimulationRun run = ValidateSimulation(cli::ArraysOf(alone[k]), cli::ParametersOf(alone[k]), N, M);
      testing::RecordingReporter reporter(cancelAt[k]);
      const RunResult expected = RunSimulation(run, seeds[static_cast<std::size_t>(k)], reporter, Engine::Fast);
      const std::string where =
          "trial " + std::to_string(trial) + " run " + std::to_string(k) + " team " + std::to_string(team);
      EXPECT_EQ(results[static_cast<std::size_t>(k)].scenariosRun, expected.scenariosRun) << where;
      EXPECT_EQ(results[static_cast<std::size_t>(k)].cancelled, expected.cancelled) << where;
      EXPECT_EQ(reporters[static_cast<std::size_t>(k)].calls, reporter.calls) << where;
      for (int i = 0; i < cli::kArrayCount; ++i) {
        EXPECT_TRUE(testing::BitEqual(together[k].arrays[i].doubles, alone[k].arrays[i].doubles)) << where << " " << i;
        EXPECT_TRUE(testing::BitEqual(together[k].arrays[i].ints, alone[k].arrays[i].ints)) << where << " " << i;
      }
    }
  }
}

}  // namespace
}  // namespace creditsim
