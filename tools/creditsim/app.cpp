#include "app.hpp"

#include <iostream>

#include <CLI/CLI.hpp>

#include "commands.hpp"
#include "creditsim/creditsim.h"
#include "exit_codes.hpp"

namespace creditsim::cli {

int RunApplication(int argc, char** argv, const std::string& programName) {
  CLI::App app{"creditsim: credit-portfolio risk by Monte Carlo simulation", programName};
  app.set_version_flag("--version", programName + " " + creditsim_version());
  app.require_subcommand(1);
  CommandAction action;
  AddCorrelCommand(app, action);
  AddSimulateCommand(app, action);
  AddRunCommand(app, action);
  AddCheckCommand(app, action);
  AddBenchCommand(app, action);
  try {
    app.parse(argc, argv);
  } catch (const CLI::ParseError& e) {
    const int status = app.exit(e);
    return status == 0 ? kExitOk : kExitBadInput;
  }
  try {
    return action ? action() : kExitOk;
  } catch (const CliError& e) {
    std::cerr << programName << ": " << e.what() << "\n";
    return e.exitCode;
  } catch (const std::exception& e) {
    std::cerr << programName << ": " << e.what() << "\n";
    return kExitFailure;
  }
}

}  // namespace creditsim::cli
