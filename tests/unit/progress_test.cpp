// The progress layer: the run's line, the callback binding's events, pauses
// that only a paced run sleeps, and Ctrl-C stopping the program cleanly.
#include <gtest/gtest.h>

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <thread>

#include "progress/host_progress_reporter.hpp"
#include "support/run_tool.hpp"

namespace creditsim {
namespace {

TEST(Progress, LineNamesTheRunInThousands) {
  const std::pair<std::int32_t, const char*> cases[] = {
      {123456, "Currently processing 123,000 scenarios."}, {999, "Currently processing 0,000 scenarios."},
      {1000, "Currently processing 1,000 scenarios."},     {1999, "Currently processing 1,000 scenarios."},
      {-1500, "Currently processing -1,000 scenarios."},   {0, "Currently processing 0,000 scenarios."},
      {2147483647, "Currently processing 2147483,000 scenarios."}};
  for (const auto& [total, line] : cases) EXPECT_EQ(FormatProgressLine(total), line) << total;
}

TEST(Progress, CallbackBindingSeesEveryEventAndCanCancel) {
  std::vector<std::string> events;
  auto callback = [&](ProgressEvent event, std::int32_t done, std::int32_t total) {
    events.push_back(std::to_string(static_cast<int>(event)) + ":" + std::to_string(done) + "/" + std::to_string(total));
    return event == ProgressEvent::Report && done == 100;
  };
  CancelToken token;
  HostProgressReporter reporter(MakeCallbackDisplay(callback), &token, false);
  reporter.Start(250);
  reporter.Report(0, 250);
  EXPECT_FALSE(reporter.Cancelled());
  reporter.Report(100, 250);
  EXPECT_TRUE(reporter.Cancelled());  // the callback answered the report with a cancellation
  reporter.Finish();
  EXPECT_EQ(events, (std::vector<std::string>{"0:0/250", "1:0/250", "1:100/250", "2:-1/250", "3:-1/250"}));

  HostProgressReporter tokenOnly(MakeSilentDisplay(), &token, false);
  EXPECT_FALSE(tokenOnly.Cancelled());
  token.Request();
  EXPECT_TRUE(tokenOnly.Cancelled());
}

TEST(Progress, UnpacedPausesDoNotSleep) {
  // A day-long pause would hang this test if an unpaced run slept.
  HostProgressReporter reporter(MakeSilentDisplay(), nullptr, false);
  reporter.Start(10000);
  reporter.Pause(24 * 3600 * 1000);
  reporter.Finish();
}

TEST(Progress, InterruptStopsTheProgramAndKeepsTheCompletedScenarios) {
  namespace fs = std::filesystem;
  const fs::path dir = fs::temp_directory_path() / ("creditsim-interrupt-" + std::to_string(::getpid()));
  fs::create_directories(dir);
  const fs::path input = dir / "case.json", output = dir / "out.json";
  // A paced run of 100,000 scenarios would take 100 s; it is interrupted.
  std::ofstream(input) << R"({"factor":[1],"issuerRating":[1],"scenarioCount":100000,"tailSize":1,
      "spreadVolatility":0,"market1Volatility":0,"market2Volatility":0,"recoveryMeanA":0,"recoveryMeanB":0,"seed":3})";
  const pid_t child = fork();
  if (child == 0) {
    execl(CREDITSIM_TOOL, CREDITSIM_TOOL, "simulate", "--pace", "-q", input.c_str(), "-o", output.c_str(),
          static_cast<char*>(nullptr));
    _exit(127);
  }
  std::this_thread::sleep_for(std::chrono::milliseconds(700));
  kill(child, SIGINT);
  int status = 0;
  waitpid(child, &status, 0);
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 130);
  const std::string text = testing::ReadWholeFile(output);
  EXPECT_NE(text.find("\"cancelled\":true"), std::string::npos);
  fs::remove_all(dir);
}

}  // namespace
}  // namespace creditsim
