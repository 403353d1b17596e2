// The reporter every real run uses: a display, a cancel token, and pauses
// that sleep only when the run is paced.
#pragma once

#include <memory>

#include "creditsim/creditsim.hpp"
#include "progress/progress_display.hpp"
#include "progress/progress_reporter.hpp"

namespace creditsim {

class HostProgressReporter final : public ProgressReporter {
 public:
  HostProgressReporter(std::unique_ptr<ProgressDisplay> display, CancelToken* cancel, bool pace);

  void Start(std::int32_t total) override;
  void Report(std::int32_t done, std::int32_t total) override;
  bool Cancelled() override;
  void Pause(int milliseconds) override;
  void Finish() override;

 private:
  std::unique_ptr<ProgressDisplay> display_;
  CancelToken* cancel_;
  bool pace_;
  bool displayAskedToStop_ = false;
};

}  // namespace creditsim
