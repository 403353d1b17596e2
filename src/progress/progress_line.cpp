// The one line of text that names the size of a run.
#include <cstdio>

#include "progress/progress_reporter.hpp"

namespace creditsim {

std::string FormatProgressLine(std::int32_t total) {
  char line[64];
  std::snprintf(line, sizeof line, "Currently processing %d,000 scenarios.", static_cast<int>(total / 1000));
  return line;
}

}  // namespace creditsim
