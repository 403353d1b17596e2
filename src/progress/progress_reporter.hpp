// The four progress operations a run calls (Start, Report, Cancelled,
// Finish), plus the pauses the driver asks for.
//
// The pauses exist so that an interactive display gets time to draw and to
// notice a cancel request; the driver always asks for them at the same
// points with the same length, and a binding decides whether to sleep.
#pragma once

#include <cstdint>
#include <string>

namespace creditsim {

inline constexpr const char* kProgressTitle = "creditsim: credit portfolio simulation";
inline constexpr const char* kCancelMessage = "Simulation has been halted by user.";
inline constexpr int kStartPauseMs = 100;
inline constexpr int kCheckPauseMs = 100;
inline constexpr int kCancelPauseMs = 1000;

// "Currently processing %d,000 scenarios." with total / 1000 truncated
// toward zero (so -1500 prints -1).
std::string FormatProgressLine(std::int32_t total);

class ProgressReporter {
 public:
  virtual ~ProgressReporter() = default;
  // Opens the display for a run of `total` scenarios; includes a pause of
  // its own.
  virtual void Start(std::int32_t total) = 0;
  virtual void Report(std::int32_t done, std::int32_t total) = 0;
  virtual bool Cancelled() = 0;
  virtual void Pause(int milliseconds) = 0;
  virtual void Finish() = 0;
};

}  // namespace creditsim
