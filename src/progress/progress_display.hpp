// Where a run's progress is shown: a terminal, a host's callback, or
// nowhere. A display only shows; cancellation and pacing are handled by
// HostProgressReporter around it.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "creditsim/creditsim.hpp"

namespace creditsim {

class ProgressDisplay {
 public:
  virtual ~ProgressDisplay() = default;
  virtual void Open(const std::string& title, const std::string& line, std::int32_t total) = 0;
  // Returns true when the display itself asks the run to stop.
  virtual bool Update(std::int32_t done, std::int32_t total) = 0;
  virtual void ShowCancelled(const std::string& message) = 0;
  virtual void Close() = 0;
};

std::unique_ptr<ProgressDisplay> MakeSilentDisplay();
std::unique_ptr<ProgressDisplay> MakeCallbackDisplay(ProgressCallback callback);
// A display on stderr; meant for when stderr is a terminal.
std::unique_ptr<ProgressDisplay> MakeTerminalDisplay();
bool StderrIsTerminal();

// The display a run's options ask for: the host's callback, else the
// terminal when asked for and stderr is one, else nothing.
std::unique_ptr<ProgressDisplay> MakeDisplayFor(const SimulationOptions& options);

}  // namespace creditsim
