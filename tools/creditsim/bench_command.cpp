// creditsim bench: times one simulation of a built-in synthetic portfolio
// (--size S|M|L) or of a host-emulation case (--case FILE.json) and prints
// one JSON line with the throughput and the engine's working memory.
//
// Only the Simulate call is timed: reading the case, building the synthetic
// portfolio, factorising its correlation matrix and building the
// process-wide draw tables come before the clock starts. The run is not
// paced (no pauses at the progress checks) and shows no progress.
#include <chrono>
#include <iostream>
#include <memory>
#include <optional>
#include <thread>

#include <nlohmann/json.hpp>

#include "commands.hpp"
#include "creditsim/creditsim.hpp"
#include "creditsim/shards.hpp"
#include "exit_codes.hpp"
#include "host_case.hpp"
#include "portfolio_simulation.hpp"
#include "numerics/correlation_factor.hpp"
#include "numerics/normal_draw_table.hpp"
#include "simulation/fast_engine.hpp"
#include "synthetic_portfolio.hpp"

namespace creditsim::cli {
namespace {

struct BenchOptions {
  std::string size;
  std::string casePath;
  std::optional<std::int32_t> scenarios;
  std::string engine = "fast";
  std::uint32_t seed = 1;
  bool noHelper = false;
  std::int32_t shards = 0;   // 0: one sequence
  std::int32_t threads = 0;  // 0: the machine's cores
};

// A shard keeps its own copies of the output arrays and its own tails.
std::size_t ShardCopyBytes(HostCase& c) {
  const std::size_t N = static_cast<std::size_t>(c.IssuerCount()), M = static_cast<std::size_t>(c.AssetCount());
  const std::size_t K = static_cast<std::size_t>(std::max<int>(ParametersOf(c).tailSize, 0));
  return (2 * N + 3 * M + 2 * K + 2 * K * M) * sizeof(double) + (N + K * N) * sizeof(std::int16_t);
}

constexpr std::int32_t kDefaultScenarios = 10000;

HostCase LoadBenchCase(const BenchOptions& o) {
  if (!o.casePath.empty()) {
    HostCase c;
    try {
      c = LoadCaseFile(o.casePath);
    } catch (const InputError& e) {
      throw CliError(kExitBadInput, o.casePath + ": " + e.what());
    }
    if (c.correlation) {
      FactorCorrelation(c.IssuerCount(), c.correlation->data(), c.Doubles("factor").data());
    }
    if (o.scenarios) {
      c.scenarioCount = *o.scenarios;
      auto& scenarioPnl = c.Doubles("scenarioPnl");
      if (scenarioPnl.size() < static_cast<std::size_t>(*o.scenarios)) scenarioPnl.resize(*o.scenarios, 0.0);
    }
    return c;
  }
  try {
    return MakeSyntheticPortfolio(SyntheticPortfolioSize(o.size), o.scenarios.value_or(kDefaultScenarios));
  } catch (const InputError& e) {
    throw CliError(kExitBadInput, e.what());
  }
}

int RunBench(const BenchOptions& o) {
  if (o.size.empty() == o.casePath.empty()) throw CliError(kExitBadInput, "bench needs exactly one of --size and --case");
  HostCase c = LoadBenchCase(o);
  SimulationOptions options;
  options.seed = o.seed;
  options.engine = o.engine == "reference" ? Engine::Reference : Engine::Fast;

  // The draw tables are built once per process, on first use; build them
  // before the clock starts so that short runs time the simulation only.
  IssuerShockTable();
  SystematicDrawTable();
  if (o.noHelper) SetFastEngineOverlapThreshold(INT64_MAX);

  ResetPeakFastEngineWorkingBytes();
  const auto start = std::chrono::steady_clock::now();
  SimulationOutcome outcome;
  const ShardingOptions sharding{o.shards, o.threads > 0 ? o.threads : static_cast<std::int32_t>(std::thread::hardware_concurrency())};
  try {
    if (o.shards > 0) {
      const ShardedCall call = SimulateShardedInThisProgram(ArraysOf(c), ParametersOf(c), sharding, options);
      if (!call.reportHere) return kExitOk;  // another process of a distributed run reports
      outcome = call.outcome;
    } else {
      outcome = Simulate(ArraysOf(c), ParametersOf(c), options);
    }
  } catch (const Error& e) {
    throw CliError(kExitBadInput, e.what());
  }
  const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();

  nlohmann::ordered_json line;
  if (o.casePath.empty()) {
    line["size"] = o.size;
  } else {
    line["case"] = o.casePath;
  }
  line["issuers"] = c.IssuerCount();
  line["assets"] = c.AssetCount();
  line["tail"] = c.tailSize;
  line["scenarios"] = outcome.scenariosRun;
  line["engine"] = o.engine;
  const bool helper = o.shards == 0 && options.engine == Engine::Fast && LastFastEngineUsedHelperThread();
  const std::int32_t workers = o.shards > 0 ? std::min(sharding.shards, sharding.threads) : helper ? 2 : 1;
  line["shards"] = std::max(o.shards, 1);
  line["threads"] = workers;
  line["seconds"] = seconds;
  line["scenarios_per_second"] = seconds > 0 ? outcome.scenariosRun / seconds : 0.0;
  // The engines' working memory at its peak, all threads together; shard
  // copies of the output arrays live until the merge.
  const std::size_t engineBytes = options.engine == Engine::Fast ? PeakFastEngineWorkingBytes() : 0;
  line["peak_extra_bytes"] =
      o.shards > 0 ? engineBytes + ShardCopyBytes(c) * static_cast<std::size_t>(o.shards) : engineBytes;
  std::cout << line.dump() << "\n";
  return kExitOk;
}

}  // namespace

void AddBenchCommand(CLI::App& app, CommandAction& action) {
  auto* command = app.add_subcommand(
      "bench",
      "Time one simulation of a built-in synthetic portfolio (S: 50 issuers, 200 assets; M: 500, 5000; "
      "L: 2000, 20000; K = 100) or of a case file, and print one JSON line");
  auto o = std::make_shared<BenchOptions>();
  command->add_option("--size", o->size, "built-in portfolio: S, M or L")->check(CLI::IsMember({"S", "M", "L"}));
  command->add_option("--case", o->casePath, "host-emulation case file (JSON) instead of a built-in portfolio");
  command->add_option("--scenarios", o->scenarios, "scenario count (default 10000; for --case, the case's own)")
      ->check(CLI::Range(0, INT32_MAX));
  command->add_option("--engine", o->engine, "fast (default) or reference")
      ->check(CLI::IsMember({"fast", "reference"}));
  command->add_option("--seed", o->seed, "generator seed (default 1)");
  command->add_flag("--no-helper-thread", o->noHelper,
                    "fast engine: keep the next scenario's migration on the calling thread");
  command->add_option("--shards", o->shards, "run as P shards merged exactly (default: one sequence)")
      ->check(CLI::Range(1, 4096));
  command->add_option("--threads", o->threads, "threads for the shards (default: the machine's cores)")
      ->check(CLI::Range(1, 1024));
  command->callback([&action, o] { action = [o] { return RunBench(*o); }; });
}

}  // namespace creditsim::cli
