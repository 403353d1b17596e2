// Progress on a terminal: the title and the run's line once, then one line
// redrawn in place with a bar, done/total, rate and time left. Redraws are
// limited to a few per second so that a fast run spends no time drawing.
#include <unistd.h>

#include <chrono>
#include <cstdio>

#include "progress/progress_display.hpp"

namespace creditsim {
namespace {

using Clock = std::chrono::steady_clock;

class TerminalDisplay final : public ProgressDisplay {
 public:
  void Open(const std::string& title, const std::string& line, std::int32_t total) override {
    started_ = Clock::now();
    lastDraw_ = started_ - std::chrono::seconds(1);
    std::fprintf(stderr, "%s\n%s\n", title.c_str(), line.c_str());
    if (total > 0) Draw(0, total, false);
  }

  bool Update(std::int32_t done, std::int32_t total) override {
    if (Clock::now() - lastDraw_ >= std::chrono::milliseconds(100)) Draw(done, total, false);
    lastDone_ = done;
    lastTotal_ = total;
    return false;
  }

  void ShowCancelled(const std::string& message) override {
    Draw(lastDone_, lastTotal_, true);
    std::fprintf(stderr, "\n%s\n", message.c_str());
    cancelled_ = true;
  }

  void Close() override {
    if (!cancelled_ && lastTotal_ > 0) {
      Draw(lastTotal_, lastTotal_, true);
      std::fputc('\n', stderr);
    }
    std::fflush(stderr);
  }

 private:
  void Draw(std::int32_t done, std::int32_t total, bool force) {
    const auto now = Clock::now();
    if (!force && total <= 0) return;
    lastDraw_ = now;
    const double seconds = std::chrono::duration<double>(now - started_).count();
    const double fraction = total > 0 ? static_cast<double>(done) / total : 1.0;
    constexpr int kWidth = 30;
    const int filled = static_cast<int>(fraction * kWidth);
    char bar[kWidth + 1];
    for (int i = 0; i < kWidth; ++i) bar[i] = i < filled ? '#' : '-';
    bar[kWidth] = '\0';
    const double rate = seconds > 0 ? done / seconds : 0;
    char left[32] = "--";
    if (rate > 0 && done < total) std::snprintf(left, sizeof left, "%.0fs", (total - done) / rate);
    std::fprintf(stderr, "\r\033[K[%s] %d/%d  %.0f scen/s  left %s", bar, done, total, rate, left);
    std::fflush(stderr);
  }

  Clock::time_point started_{}, lastDraw_{};
  std::int32_t lastDone_ = 0, lastTotal_ = 0;
  bool cancelled_ = false;
};

}  // namespace

std::unique_ptr<ProgressDisplay> MakeTerminalDisplay() { return std::make_unique<TerminalDisplay>(); }

bool StderrIsTerminal() { return ::isatty(STDERR_FILENO) == 1; }

}  // namespace creditsim
