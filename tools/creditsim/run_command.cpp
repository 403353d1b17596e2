// creditsim run [PORTFOLIO]: reads a portfolio, simulates it, and writes
// the risk report (summary.json, the CSV tables and report.html) into the
// output directory in one piece, then prints a summary. Ctrl-C stops the
// run at its next progress check; the completed scenarios are reported and
// marked as cancelled.
#include <algorithm>
#include <chrono>
#include <iostream>
#include <memory>
#include <optional>

#include "commands.hpp"
#include "exit_codes.hpp"
#include "interrupt.hpp"
#include "output_directory.hpp"
#include "portfolio/load_portfolio.hpp"
#include "portfolio_location.hpp"
#include "portfolio_simulation.hpp"
#include "report/html_report.hpp"
#include "report/result_tables.hpp"
#include "report/risk_report.hpp"
#include "report/summary_json.hpp"
#include "report/terminal_summary.hpp"

namespace creditsim::cli {
namespace {

struct RunOptions {
  std::string portfolio;
  std::optional<std::int32_t> scenarios;
  std::optional<std::int32_t> tail;
  std::optional<std::uint32_t> seed;
  std::string out = "creditsim-out";
  bool quiet = false;
  std::string engine = "fast";
  std::int32_t shards = 0;   // 0: one sequence
  std::int32_t threads = 0;  // 0: the machine's cores
};

// By default the tail holds the scenarios the 99 % level needs, which also
// covers 99.9 %; 95 % contributions need a larger --tail.
std::int16_t DefaultTailSize(std::int32_t scenarios) {
  return static_cast<std::int16_t>(std::min<std::int64_t>(TailCount(scenarios, 9900), 32767));
}

std::vector<OutputFile> OutputFiles(const Portfolio& portfolio, const SimulationResults& results,
                                    const RiskReport& report) {
  return {{"summary.json", SummaryJson(portfolio, report)},
          {"scenario_pnl.csv", ScenarioPnlCsv(results)},
          {"tail_scenarios.csv", TailScenariosCsv(portfolio, results)},
          {"contributions.csv", ContributionsCsv(portfolio, report)},
          {"report.html", HtmlReport(portfolio, report)}};
}

int RunPortfolio(const RunOptions& o) {
  const std::string directory = o.portfolio.empty() ? DefaultPortfolioDirectory() : o.portfolio;
  const Portfolio portfolio = LoadPortfolio(directory);
  const std::int32_t scenarios = o.scenarios.value_or(portfolio.settings.scenarios);
  const auto tailSize = static_cast<std::int16_t>(o.tail.value_or(portfolio.settings.tail.value_or(DefaultTailSize(scenarios))));
  const SimulationInputs inputs = BuildSimulationInputs(portfolio, scenarios, tailSize);

  CancelToken cancel;
  InterruptCancels onCtrlC(cancel);
  SimulationOptions options;
  options.seed = o.seed ? o.seed : portfolio.settings.seed;
  options.cancel = &cancel;
  options.terminalProgress = !o.quiet;
  options.engine = o.engine == "reference" ? Engine::Reference : Engine::Fast;
  const auto start = std::chrono::steady_clock::now();
  const SimulationResults results = SimulatePortfolio(inputs, options, {o.shards, o.threads});
  if (!results.reportHere) return kExitOk;
  const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  if (results.outcome.scenariosRun == 0) {
    throw CliError(kExitCancelled, "cancelled before the first scenario; nothing written (seed " +
                                       std::to_string(results.outcome.seed) + ")");
  }
  const RunFacts facts{directory, portfolio.digest, results.outcome.seed, scenarios, results.outcome.scenariosRun,
                       tailSize, o.shards, results.outcome.cancelled, seconds};
  const RiskReport report = BuildRiskReport(portfolio, inputs, results, facts);
  WriteDirectoryAtomically(o.out, OutputFiles(portfolio, results, report));
  std::cout << TerminalSummary(portfolio, report, o.out) << std::flush;
  return results.outcome.cancelled ? kExitCancelled : kExitOk;
}

}  // namespace

void AddRunCommand(CLI::App& app, CommandAction& action) {
  auto* command = app.add_subcommand("run", "Simulate a portfolio and write its risk report (VaR, ES, contributions)");
  auto o = std::make_shared<RunOptions>();
  command->add_option("PORTFOLIO", o->portfolio, "portfolio directory (default: the bundled sample)");
  command->add_option("--scenarios", o->scenarios, "number of scenarios (default: the portfolio's setting)")
      ->check(CLI::Range(1, std::numeric_limits<std::int32_t>::max()));
  command->add_option("--tail", o->tail, "worst scenarios kept for contributions (default: enough for 99 %)")
      ->check(CLI::Range(1, 32767));
  command->add_option("--seed", o->seed, "generator seed (default: the portfolio's, else the clock)");
  command->add_option("--out", o->out, "output directory, replaced as a whole (default: creditsim-out)");
  command->add_flag("-q,--quiet", o->quiet, "no progress display");
  command->add_option("--engine", o->engine, "fast (default) or reference: same results, different speed")
      ->check(CLI::IsMember({"fast", "reference"}));
  command->add_option("--shards", o->shards,
                      "run as P shards with non-overlapping random streams, merged exactly "
                      "(default: one sequence; the result depends on P, never on --threads)")
      ->check(CLI::Range(1, 4096));
  command->add_option("--threads", o->threads, "threads for the shards (default: the machine's cores)")
      ->check(CLI::Range(1, 1024));
  command->callback([&action, o] { action = [o] { return RunPortfolio(*o); }; });
}

}  // namespace creditsim::cli
