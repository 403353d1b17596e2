// The two displays without a screen: one that shows nothing, and one that
// hands every event to a library host's callback.
#include "progress/progress_display.hpp"

namespace creditsim {
namespace {

class SilentDisplay final : public ProgressDisplay {
 public:
  void Open(const std::string&, const std::string&, std::int32_t) override {}
  bool Update(std::int32_t, std::int32_t) override { return false; }
  void ShowCancelled(const std::string&) override {}
  void Close() override {}
};

class CallbackDisplay final : public ProgressDisplay {
 public:
  explicit CallbackDisplay(ProgressCallback callback) : callback_(std::move(callback)) {}
  void Open(const std::string&, const std::string&, std::int32_t total) override {
    total_ = total;
    callback_(ProgressEvent::Start, 0, total);
  }
  bool Update(std::int32_t done, std::int32_t total) override {
    return callback_(ProgressEvent::Report, done, total);
  }
  void ShowCancelled(const std::string&) override { callback_(ProgressEvent::Cancelled, -1, total_); }
  void Close() override { callback_(ProgressEvent::Finish, -1, total_); }

 private:
  ProgressCallback callback_;
  std::int32_t total_ = 0;
};

}  // namespace

std::unique_ptr<ProgressDisplay> MakeSilentDisplay() { return std::make_unique<SilentDisplay>(); }

std::unique_ptr<ProgressDisplay> MakeCallbackDisplay(ProgressCallback callback) {
  return std::make_unique<CallbackDisplay>(std::move(callback));
}

std::unique_ptr<ProgressDisplay> MakeDisplayFor(const SimulationOptions& options) {
  if (options.progress) return MakeCallbackDisplay(options.progress);
  if (options.terminalProgress && StderrIsTerminal()) return MakeTerminalDisplay();
  return MakeSilentDisplay();
}

}  // namespace creditsim
