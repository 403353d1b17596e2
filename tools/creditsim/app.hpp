// The creditsim command-line application, shared by the plain program and
// creditsim-mpi: one subcommand per job and a single exit path that turns
// every error into a one-line message and a documented exit status.
#pragma once

#include <string>

namespace creditsim::cli {

int RunApplication(int argc, char** argv, const std::string& programName);

}  // namespace creditsim::cli
