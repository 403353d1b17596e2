// Everything wrong with a portfolio, collected before giving up, so that an
// analyst fixes a file in one pass instead of one error per run. Each
// problem reads `file:line: what is wrong`; line 0 means the whole file.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace creditsim::cli {

class InputProblems {
 public:
  void Add(const std::string& file, std::size_t line, const std::string& what);
  bool Empty() const { return messages_.empty(); }
  std::size_t Count() const { return messages_.size(); }
  const std::vector<std::string>& Messages() const { return messages_; }
  // Throws CliError with exit status 2 listing every problem, if any.
  void ThrowIfAny() const;

 private:
  std::vector<std::string> messages_;
};

}  // namespace creditsim::cli
