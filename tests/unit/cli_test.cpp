// The creditsim program's contract: exact output for good input, and for
// bad input a one-line message naming the file, exit status 2, no output.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "support/run_tool.hpp"

namespace creditsim {
namespace {

namespace fs = std::filesystem;
using testing::RunTool;

class CliTest : public ::testing::Test {
 protected:
  fs::path Write(const std::string& name, const std::string& content) {
    const fs::path path = dir_ / name;
    std::ofstream(path) << content;
    return path;
  }
  void SetUp() override {
    dir_ = fs::temp_directory_path() / ("creditsim-cli-" + std::to_string(::getpid()));
    fs::create_directories(dir_);
  }
  void TearDown() override { fs::remove_all(dir_); }
  fs::path dir_;
};

TEST_F(CliTest, CorrelPrintsTheFactorExactly) {
  struct Case {
    const char* input;
    const char* output;
  } cases[] = {
      {R"({"correlation":[1,0.6,0.6,1]})", "{\"factor\": [0.8,0.6,0.0,1.0]}\n"},
      {R"({"correlation":[1,2,2,1]})", "{\"factor\": [\"NaN\",2.0,0.0,1.0]}\n"},
      {R"({"correlation":[-0.0]})", "{\"factor\": [-0.0]}\n"},
      {R"({"correlation":[1,1,1,1,1,1,1,1,1]})", "{\"factor\": [0.0,0.0,1.0,0.0,0.0,1.0,0.0,0.0,1.0]}\n"},
      {R"({"correlation":["Infinity"]})", "{\"factor\": [\"Infinity\"]}\n"},
      {R"({"correlation":[]})", "{\"factor\": []}\n"},
  };
  for (const auto& c : cases) {
    const auto result = RunTool("correl " + Write("case.json", c.input).string());
    EXPECT_EQ(result.status, 0) << c.input << result.err;
    EXPECT_EQ(result.out, c.output) << c.input;
  }
}

TEST_F(CliTest, BadInputGivesOneLineStatusTwoAndNoOutput) {
  struct Case {
    const char* command;
    const char* content;  // nullptr: the file does not exist
    const char* message;
  } cases[] = {
      {"correl", nullptr, "cannot open the file"},
      {"correl", "{\"correlation\": [1, 2", "malformed JSON"},
      {"correl", "[1,2]", "expected a JSON object"},
      {"correl", "{\"correlation\": [1,0,0]}", "holds 3 elements, which is not the square"},
      {"correl", "{\"correlation\": [1,\"x\",0,1]}", "correlation[1]: the string \"x\" is not a number"},
      {"correl", "{}", "missing key \"correlation\""},
      {"simulate", "{\"factor\":[1]}", "missing key \"scenarioCount\""},
      {"simulate",
       R"({"factor":[1],"issuerRating":[9],"scenarioCount":1,"tailSize":0,"spreadVolatility":0,
           "market1Volatility":0,"market2Volatility":0,"recoveryMeanA":0,"recoveryMeanB":0})",
       "issuerRating[0]: value 9 is outside 0..7"},
      {"simulate",
       R"({"factor":[1],"assetKind":[70000],"scenarioCount":1,"tailSize":0,"spreadVolatility":0,
           "market1Volatility":0,"market2Volatility":0,"recoveryMeanA":0,"recoveryMeanB":0})",
       "assetKind[0]: 70000 is outside -32768..32767"},
  };
  for (const auto& c : cases) {
    const fs::path path = c.content ? Write("bad.json", c.content) : dir_ / "missing.json";
    const fs::path output = dir_ / "out.json";
    const auto result = RunTool(std::string(c.command) + " " + path.string() +
                                (std::string(c.command) == "simulate" ? " -q -o " + output.string() : ""));
    EXPECT_EQ(result.status, 2) << c.message;
    EXPECT_EQ(result.out, "") << c.message;
    EXPECT_NE(result.err.find(path.string() + ": "), std::string::npos) << result.err;
    EXPECT_NE(result.err.find(c.message), std::string::npos) << result.err;
    EXPECT_EQ(std::count(result.err.begin(), result.err.end(), '\n'), 1) << result.err;
    EXPECT_FALSE(fs::exists(output)) << c.message;
  }
}

TEST_F(CliTest, SimulateWritesEveryArrayAndTheSeed) {
  const auto path = Write("case.json", R"({"factor":[1],"issuerRating":[1],"assetFace":[100],"assetValue":[100],
      "assetKind":[33],"scenarioCount":3,"tailSize":1,"spreadVolatility":0,"market1Volatility":0.1,
      "market2Volatility":0,"recoveryMeanA":0,"recoveryMeanB":0,"seed":5})");
  const auto first = RunTool("simulate -q " + path.string());
  ASSERT_EQ(first.status, 0) << first.err;
  EXPECT_NE(first.out.find("\"scenarioPnl\":["), std::string::npos);
  EXPECT_NE(first.out.find("\"seed\":5"), std::string::npos);
  // --seed overrides the case's seed; the same seed reproduces the output.
  const auto other = RunTool("simulate -q --seed 6 " + path.string());
  EXPECT_NE(other.out, first.out);
  EXPECT_EQ(RunTool("simulate -q --engine reference " + path.string()).out, first.out);
}

TEST_F(CliTest, HelpAndVersion) {
  const auto help = RunTool("--help");
  EXPECT_EQ(help.status, 0);
  for (const char* word : {"correl", "simulate"}) EXPECT_NE(help.out.find(word), std::string::npos) << word;
  EXPECT_EQ(RunTool("--version").status, 0);
  EXPECT_EQ(RunTool("no-such-command").status, 2);
}

}  // namespace
}  // namespace creditsim
