// The exit statuses of the creditsim program and the one error type that
// carries a status to main's single exit path.
#pragma once

#include <stdexcept>
#include <string>

namespace creditsim::cli {

enum ExitCode : int {
  kExitOk = 0,
  kExitFailure = 1,     // the run itself failed
  kExitBadInput = 2,    // unreadable, malformed or invalid input; nothing written
  kExitCancelled = 130  // interrupted; partial results were written
};

struct CliError : std::runtime_error {
  CliError(int code, const std::string& message) : std::runtime_error(message), exitCode(code) {}
  int exitCode;
};

}  // namespace creditsim::cli
