#include "portfolio/input_problems.hpp"

#include "exit_codes.hpp"

namespace creditsim::cli {

void InputProblems::Add(const std::string& file, std::size_t line, const std::string& what) {
  messages_.push_back(line > 0 ? file + ":" + std::to_string(line) + ": " + what : file + ": " + what);
}

void InputProblems::ThrowIfAny() const {
  if (messages_.empty()) return;
  std::string text = messages_.size() == 1 ? "invalid portfolio:"
                                           : "invalid portfolio (" + std::to_string(messages_.size()) + " problems):";
  for (const std::string& message : messages_) text += "\n  " + message;
  throw CliError(kExitBadInput, text);
}

}  // namespace creditsim::cli
