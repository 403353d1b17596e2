// Ctrl-C asks the running simulation to stop at its next progress check
// instead of killing the process, so the completed scenarios are kept. A
// second Ctrl-C ends the process as usual.
#pragma once

#include "creditsim/creditsim.h"
#include "creditsim/creditsim.hpp"

namespace creditsim::cli {

class InterruptCancels {
 public:
  explicit InterruptCancels(CancelToken& token);
  explicit InterruptCancels(creditsim_cancel_token* token);
  ~InterruptCancels();
  InterruptCancels(const InterruptCancels&) = delete;
  InterruptCancels& operator=(const InterruptCancels&) = delete;
};

}  // namespace creditsim::cli
