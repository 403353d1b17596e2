// creditsim check and run end to end: the bundled sample through both
// commands, a repeatable run from its printed seed, the output files, and a
// malformed portfolio that gets precise errors and leaves the previous
// output untouched.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>
#include <unistd.h>

#include <nlohmann/json.hpp>

#include "support/run_tool.hpp"
#include "support/small_portfolio.hpp"

namespace creditsim {
namespace {

namespace fs = std::filesystem;
using ::testing::HasSubstr;
using testing::ReadWholeFile;
using testing::RunTool;

const std::string kSample = CREDITSIM_TEST_DATA "/../../examples/sample-portfolio";

class PortfolioRun : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::temp_directory_path() / ("creditsim-run-" + std::to_string(::getpid()));
    fs::remove_all(dir_);
    fs::create_directories(dir_);
  }
  void TearDown() override { fs::remove_all(dir_); }
  fs::path dir_;
};

TEST_F(PortfolioRun, TheSampleChecksAndRunsRepeatably) {
  const auto check = RunTool("check " + kSample);
  EXPECT_EQ(check.status, 0) << check.err;
  EXPECT_THAT(check.out, HasSubstr("300 issuers (12 inactive), 3000 positions (300 market-factor)"));

  const std::string out = (dir_ / "out").string();
  const auto run = RunTool("run " + kSample + " --scenarios 2000 --seed 99 -q --out " + out);
  ASSERT_EQ(run.status, 0) << run.err;
  for (const char* file : {"summary.json", "scenario_pnl.csv", "tail_scenarios.csv", "contributions.csv", "report.html"}) {
    EXPECT_TRUE(fs::exists(fs::path(out) / file)) << file;
  }
  const auto summary = nlohmann::json::parse(ReadWholeFile(fs::path(out) / "summary.json"));
  EXPECT_EQ(summary["seed"], 99);
  EXPECT_EQ(summary["scenarios"], 2000);
  EXPECT_EQ(summary["cancelled"], false);
  EXPECT_EQ(summary["tail_size"], 20);  // enough for 99 %
  EXPECT_EQ(summary["levels"][0]["contributions"], "tail too small: needs 100 slots, the run kept 20");
  EXPECT_EQ(summary["levels"][1]["contributions"], "available");
  EXPECT_THAT(run.out, HasSubstr("seed 99 (repeat with --seed 99)"));
  EXPECT_THAT(run.out, HasSubstr("Largest contributors to ES at 99 %"));
  std::istringstream lines(run.out);
  for (std::string line; std::getline(lines, line);) EXPECT_LE(line.size(), 80u) << line;

  const std::string pnl = ReadWholeFile(fs::path(out) / "scenario_pnl.csv");
  const auto again = RunTool("run " + kSample + " --scenarios 2000 --seed 99 -q --out " + out);
  ASSERT_EQ(again.status, 0) << again.err;
  EXPECT_EQ(ReadWholeFile(fs::path(out) / "scenario_pnl.csv"), pnl);
}

TEST_F(PortfolioRun, AMalformedPortfolioGetsErrorsAndNoOutput) {
  testing::SmallPortfolio portfolio;
  portfolio.files["assets.csv"] =
      "id,issuer,kind,face,value,spread,duration,maturity\nA1,ALPHA,senior,100,99,150,4.2,40\nA2,ZETA,loan,1,1,1,1,2\n";
  const fs::path input = dir_ / "book";
  portfolio.WriteTo(input);
  const fs::path out = dir_ / "out";
  fs::create_directories(out);
  std::ofstream(out / "earlier.txt") << "an earlier run";

  for (const char* command : {"check ", "run -q --out "}) {
    const std::string arguments = std::string(command) + (command[0] == 'r' ? out.string() + " " : "") + input.string();
    const auto result = RunTool(arguments);
    EXPECT_EQ(result.status, 2) << arguments;
    EXPECT_THAT(result.err, HasSubstr((input / "assets.csv").string() + ":2: maturity 40 years is outside"));
    EXPECT_THAT(result.err, HasSubstr((input / "assets.csv").string() + ":3: unknown issuer id 'ZETA'"));
    EXPECT_EQ(result.out, "");
  }
  EXPECT_EQ(ReadWholeFile(out / "earlier.txt"), "an earlier run");
  EXPECT_EQ(std::distance(fs::directory_iterator(dir_), fs::directory_iterator()), 2);  // book and out only
}

TEST_F(PortfolioRun, ANewRunReplacesTheWholeOutputDirectory) {
  testing::SmallPortfolio().WriteTo(dir_ / "book");
  const fs::path out = dir_ / "out";
  fs::create_directories(out);
  std::ofstream(out / "stale.txt") << "from before";
  const auto result = RunTool("run -q --scenarios 500 --out " + out.string() + " " + (dir_ / "book").string());
  ASSERT_EQ(result.status, 0) << result.err;
  EXPECT_FALSE(fs::exists(out / "stale.txt"));
  EXPECT_TRUE(fs::exists(out / "report.html"));
  EXPECT_EQ(std::distance(fs::directory_iterator(dir_), fs::directory_iterator()), 2);  // no temporary left
}

}  // namespace
}  // namespace creditsim
