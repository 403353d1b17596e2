// Cancellation is learnt only at the checks, from the token (another thread,
// a signal handler) or from the display's own answer to the last report.
#include "progress/host_progress_reporter.hpp"

#include <chrono>
#include <thread>

namespace creditsim {

HostProgressReporter::HostProgressReporter(std::unique_ptr<ProgressDisplay> display, CancelToken* cancel,
                                           bool pace)
    : display_(std::move(display)), cancel_(cancel), pace_(pace) {}

void HostProgressReporter::Start(std::int32_t total) {
  display_->Open(kProgressTitle, FormatProgressLine(total), total);
  Pause(kStartPauseMs);
}

void HostProgressReporter::Report(std::int32_t done, std::int32_t total) {
  if (display_->Update(done, total)) displayAskedToStop_ = true;
}

bool HostProgressReporter::Cancelled() {
  const bool cancelled = displayAskedToStop_ || (cancel_ != nullptr && cancel_->Requested());
  if (cancelled) display_->ShowCancelled(kCancelMessage);
  return cancelled;
}

void HostProgressReporter::Pause(int milliseconds) {
  if (pace_) std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
}

void HostProgressReporter::Finish() { display_->Close(); }

}  // namespace creditsim
