// A barrier for the few threads that share the steps of one group of runs.
//
// Such a team meets twice per scenario step, a few hundred microseconds
// apart: far too often to sleep in the kernel between meetings, so arrivals
// spin, and yield the core only after a long wait (when the machine has
// fewer free cores than the team has threads).
#pragma once

#include <atomic>
#include <thread>

namespace creditsim {

class TeamBarrier {
 public:
  explicit TeamBarrier(int parties) : parties_(parties) {}

  void Wait() {
    const unsigned phase = phase_.load(std::memory_order_acquire);
    if (arrived_.fetch_add(1, std::memory_order_acq_rel) + 1 == parties_) {
      // The count is reset before the phase moves on, so a thread that has
      // seen the new phase and arrives at the next meeting counts from 0.
      arrived_.store(0, std::memory_order_relaxed);
      phase_.store(phase + 1, std::memory_order_release);
      return;
    }
    for (int spins = 0; phase_.load(std::memory_order_acquire) == phase; ++spins) {
      if (spins < kSpinsBeforeYielding) {
        Pause();
      } else {
        std::this_thread::yield();
      }
    }
  }

 private:
  static constexpr int kSpinsBeforeYielding = 1 << 14;

  static void Pause() {
#if defined(__x86_64__) || defined(__i386__)
    __builtin_ia32_pause();
#endif
  }

  const int parties_;
  std::atomic<int> arrived_{0};
  std::atomic<unsigned> phase_{0};
};

}  // namespace creditsim
