#include "output_file.hpp"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <system_error>

#include <unistd.h>

#include "exit_codes.hpp"

namespace creditsim::cli {

void WriteFileAtomically(const std::string& path, const std::string& content) {
  const std::string temporary = path + ".tmp." + std::to_string(::getpid());
  {
    std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
    out << content;
    out.flush();
    if (!out) {
      std::error_code ignored;
      std::filesystem::remove(temporary, ignored);
      throw CliError(kExitFailure, path + ": cannot write the file");
    }
  }
  std::error_code error;
  std::filesystem::rename(temporary, path, error);
  if (error) {
    std::filesystem::remove(temporary, error);
    throw CliError(kExitFailure, path + ": cannot write the file");
  }
}

}  // namespace creditsim::cli
