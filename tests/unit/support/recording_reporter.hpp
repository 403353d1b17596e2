// A progress reporter for tests: records every call the driver makes, in
// the notation of the conformance data ("Start D", "Report s D",
// "Cancelled", "Pause 100", "Finish"), and answers the progress check
// number `cancelAtCheck` (0 before scenario 0, 1 before scenario 100, ...)
// with a cancellation.
#pragma once

#include <string>
#include <vector>

#include "progress/progress_reporter.hpp"

namespace creditsim::testing {

class RecordingReporter final : public ProgressReporter {
 public:
  explicit RecordingReporter(int cancelAtCheck = -1) : cancelAtCheck_(cancelAtCheck) {}

  void Start(std::int32_t total) override { calls.push_back("Start " + std::to_string(total)); }
  void Report(std::int32_t done, std::int32_t total) override {
    calls.push_back("Report " + std::to_string(done) + " " + std::to_string(total));
  }
  bool Cancelled() override {
    calls.push_back("Cancelled");
    return checks_++ == cancelAtCheck_;
  }
  void Pause(int milliseconds) override { calls.push_back("Pause " + std::to_string(milliseconds)); }
  void Finish() override { calls.push_back("Finish"); }

  std::vector<std::string> calls;

 private:
  int cancelAtCheck_;
  int checks_ = 0;
};

}  // namespace creditsim::testing
