// Runs the built creditsim program with arguments and captures its exit
// status, standard output and standard error.
#pragma once

#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

namespace creditsim::testing {

struct ToolResult {
  int status = -1;
  std::string out, err;
};

inline std::string ReadWholeFile(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

inline ToolResult RunTool(const std::string& arguments) {
  const auto dir = std::filesystem::temp_directory_path();
  const auto tag = std::to_string(::getpid()) + "-" + std::to_string(std::rand());
  const auto out = dir / ("creditsim-out-" + tag), err = dir / ("creditsim-err-" + tag);
  const std::string command =
      std::string(CREDITSIM_TOOL) + " " + arguments + " >" + out.string() + " 2>" + err.string() + " </dev/null";
  const int raw = std::system(command.c_str());
  ToolResult result{WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, ReadWholeFile(out), ReadWholeFile(err)};
  std::filesystem::remove(out);
  std::filesystem::remove(err);
  return result;
}

}  // namespace creditsim::testing
