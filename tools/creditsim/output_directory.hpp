// Writing a run's files as one unit: into a temporary directory beside the
// target, which then takes the target's place. A reader sees the old
// output or the new one, never a mixture; on Linux the two directories are
// swapped in one rename(2) (RENAME_EXCHANGE), elsewhere the old one is moved
// aside first.
#pragma once

#include <string>
#include <utility>
#include <vector>

namespace creditsim::cli {

using OutputFile = std::pair<std::string, std::string>;  // name inside the directory, content

// Throws CliError (exit 1) when the directory cannot be written; the
// previous output is then left as it was.
void WriteDirectoryAtomically(const std::string& directory, const std::vector<OutputFile>& files);

}  // namespace creditsim::cli
