// The creditsim program: one application with a subcommand per job, and a
// single exit path that turns every error into a one-line message and a
// documented exit status (see exit_codes.hpp).
#include <iostream>

#include <CLI/CLI.hpp>

#include "commands.hpp"
#include "creditsim/creditsim.h"
#include "exit_codes.hpp"

int main(int argc, char** argv) {
  using namespace creditsim::cli;
  CLI::App app{"creditsim: credit-portfolio risk by Monte Carlo simulation", "creditsim"};
  app.set_version_flag("--version", std::string("creditsim ") + creditsim_version());
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
    std::cerr << "creditsim: " << e.what() << "\n";
    return e.exitCode;
  } catch (const std::exception& e) {
    std::cerr << "creditsim: " << e.what() << "\n";
    return kExitFailure;
  }
}
