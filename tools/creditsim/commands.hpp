// Each subcommand registers its options on the application and, when it is
// the one chosen, leaves the work to do in `action`; main runs it after
// parsing, so every command ends through the same exit path.
#pragma once

#include <functional>

#include <CLI/CLI.hpp>

namespace creditsim::cli {

using CommandAction = std::function<int()>;

void AddCorrelCommand(CLI::App& app, CommandAction& action);
void AddSimulateCommand(CLI::App& app, CommandAction& action);
void AddRunCommand(CLI::App& app, CommandAction& action);
void AddCheckCommand(CLI::App& app, CommandAction& action);
void AddBenchCommand(CLI::App& app, CommandAction& action);

}  // namespace creditsim::cli
