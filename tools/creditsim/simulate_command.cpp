// creditsim simulate CASE.json: the host emulation. Runs one case through
// the C interface and writes every array as the call left it.
#include <iostream>
#include <memory>
#include <optional>

#include "commands.hpp"
#include "exit_codes.hpp"
#include "host_case.hpp"
#include "interrupt.hpp"
#include "output_file.hpp"

namespace creditsim::cli {
namespace {

struct SimulateOptions {
  std::string casePath;
  std::string outputPath;
  std::optional<std::uint32_t> seed;
  bool pace = false;
  bool quiet = false;
  std::string engine = "fast";
};

// Answers the progress check number `check` (0 before scenario 0, 1 before
// scenario 100, ...) with a cancellation.
int CancelAtCheck(void* context, int event, std::int32_t, std::int32_t) {
  auto* remaining = static_cast<int*>(context);
  if (event != CREDITSIM_PROGRESS_REPORT) return 0;
  return (*remaining)-- == 0 ? 1 : 0;
}

int RunSimulate(const SimulateOptions& o) {
  HostCase hostCase;
  try {
    hostCase = LoadCaseFile(o.casePath);
  } catch (const InputError& e) {
    throw CliError(kExitBadInput, o.casePath + ": " + e.what());
  }
  creditsim_options options{};
  options.structSize = sizeof options;
  if (o.seed) {
    options.hasSeed = 1;
    options.seed = *o.seed;
  }
  options.pace = o.pace ? 1 : 0;
  options.engine = o.engine == "reference" ? CREDITSIM_ENGINE_REFERENCE : CREDITSIM_ENGINE_DEFAULT;
  options.terminalProgress = o.quiet ? 0 : 1;
  int checksBeforeCancel = hostCase.cancelAtCheck.value_or(-1);
  if (hostCase.cancelAtCheck) {
    options.progress = CancelAtCheck;
    options.progressContext = &checksBeforeCancel;
  }
  creditsim_cancel_token* token = creditsim_cancel_token_create();
  struct TokenGuard {
    creditsim_cancel_token* token;
    ~TokenGuard() { creditsim_cancel_token_destroy(token); }
  } guard{token};
  options.cancel = token;
  InterruptCancels onCtrlC(token);

  const CaseRunResult result = RunCase(hostCase, options);
  if (result.status != CREDITSIM_OK && result.status != CREDITSIM_CANCELLED) {
    throw CliError(kExitBadInput, o.casePath + ": " + result.error);
  }
  const std::string output = CaseResultJson(hostCase, result.seed, result.cancelled);
  if (o.outputPath.empty() || o.outputPath == "-") {
    std::cout << output;
  } else {
    WriteFileAtomically(o.outputPath, output);
  }
  if (!o.quiet) std::cerr << "seed " << result.seed << (result.cancelled ? " (cancelled)" : "") << "\n";
  return result.cancelled ? kExitCancelled : kExitOk;
}

}  // namespace

void AddSimulateCommand(CLI::App& app, CommandAction& action) {
  auto* command = app.add_subcommand(
      "simulate",
      "Run one host-emulation case: the 25 arrays and 7 scalars of a Simulate call as JSON, "
      "written back as the call leaves them");
  auto o = std::make_shared<SimulateOptions>();
  command->add_option("CASE", o->casePath, "case file (JSON)")->required();
  command->add_option("-o,--output", o->outputPath, "write the result here instead of standard output");
  command->add_option("--seed", o->seed, "generator seed (default: the case's seed, else the clock)");
  command->add_flag("--pace", o->pace, "really pause at the progress checks (100 ms every 100 scenarios)");
  command->add_flag("-q,--quiet", o->quiet, "no progress display");
  command->add_option("--engine", o->engine, "fast (default) or reference")
      ->check(CLI::IsMember({"fast", "reference"}));
  command->callback([&action, o] { action = [o] { return RunSimulate(*o); }; });
}

}  // namespace creditsim::cli
