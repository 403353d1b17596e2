// Writing results so that a reader never sees half a file: into a
// temporary file beside the target, then renamed over it.
#pragma once

#include <string>

namespace creditsim::cli {

// Throws CliError (exit 1) when the file cannot be written.
void WriteFileAtomically(const std::string& path, const std::string& content);

}  // namespace creditsim::cli
