#include "output_directory.hpp"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <system_error>

#include <fcntl.h>
#include <unistd.h>

#include "exit_codes.hpp"

namespace creditsim::cli {
namespace fs = std::filesystem;
namespace {

void WriteAll(const fs::path& temporary, const std::vector<OutputFile>& files) {
  fs::create_directory(temporary);
  for (const auto& [name, content] : files) {
    std::ofstream out(temporary / name, std::ios::binary | std::ios::trunc);
    out << content;
    out.flush();
    if (!out) throw std::runtime_error("cannot write " + (temporary / name).string());
  }
}

// Puts `temporary` in the place of `target`; what was there ends up at
// `temporary` (exchange) or is removed.
void Replace(const fs::path& temporary, const fs::path& target) {
#ifdef RENAME_EXCHANGE
  if (fs::exists(target) && ::renameat2(AT_FDCWD, temporary.c_str(), AT_FDCWD, target.c_str(), RENAME_EXCHANGE) == 0) {
    fs::remove_all(temporary);
    return;
  }
#endif
  if (fs::exists(target)) {
    const fs::path aside = target.string() + ".old." + std::to_string(::getpid());
    fs::rename(target, aside);
    fs::rename(temporary, target);
    fs::remove_all(aside);
  } else {
    fs::rename(temporary, target);
  }
}

}  // namespace

void WriteDirectoryAtomically(const std::string& directory, const std::vector<OutputFile>& files) {
  fs::path target(directory);
  while (!target.empty() && !target.has_filename()) target = target.parent_path();  // "out/" -> "out"
  if (fs::exists(target) && !fs::is_directory(target)) {
    throw CliError(kExitFailure, directory + ": exists and is not a directory");
  }
  const fs::path temporary = target.string() + ".tmp." + std::to_string(::getpid());
  try {
    if (target.has_parent_path()) fs::create_directories(target.parent_path());
    WriteAll(temporary, files);
    Replace(temporary, target);
  } catch (const std::exception& error) {
    std::error_code ignored;
    fs::remove_all(temporary, ignored);
    throw CliError(kExitFailure, directory + ": cannot write the results (" + error.what() + ")");
  }
}

}  // namespace creditsim::cli
