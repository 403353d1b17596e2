#include "interrupt.hpp"

#include <csignal>

namespace creditsim::cli {
namespace {

// Both requests are lock-free atomic stores, safe inside a signal handler.
CancelToken* activeToken = nullptr;
creditsim_cancel_token* activeCToken = nullptr;

extern "C" void OnInterrupt(int) {
  if (activeToken != nullptr) activeToken->Request();
  if (activeCToken != nullptr) creditsim_cancel_token_request(activeCToken);
  std::signal(SIGINT, SIG_DFL);
}

}  // namespace

InterruptCancels::InterruptCancels(CancelToken& token) {
  activeToken = &token;
  std::signal(SIGINT, OnInterrupt);
}

InterruptCancels::InterruptCancels(creditsim_cancel_token* token) {
  activeCToken = token;
  std::signal(SIGINT, OnInterrupt);
}

InterruptCancels::~InterruptCancels() {
  std::signal(SIGINT, SIG_DFL);
  activeToken = nullptr;
  activeCToken = nullptr;
}

}  // namespace creditsim::cli
