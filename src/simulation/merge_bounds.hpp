// Bounds on the tails that a merge of shards keeps, shared by all shards of
// a run while they run.
//
// A shard's value above such a bound can never reach the merged tails: at
// least K values that do reach the merge (the host's own, or those of
// shards' lists) lie at or below it. Shards run side by side keep local
// copies for their inner loops (RestOfPortfolioStore::ShareBound) and
// exchange them here from time to time, so that every group of shards, on
// any thread, profits from what the others have seen. Bounds only ever
// fall, and only affect what the shards keep of their own tails, never the
// merged result; so the timing of the exchanges changes no result.
#pragma once

#include <cstdint>
#include <mutex>
#include <span>
#include <vector>

#include "simulation/simulation_run.hpp"

namespace creditsim {

class MergeBounds {
 public:
  // Starts from the host's lists (see HostTailBounds); inactive when K < 1.
  explicit MergeBounds(const SimulationRun& host);

  bool Active() const { return active_; }
  std::int32_t AssetCount() const { return static_cast<std::int32_t>(rest_.size()); }

  // Lowers the shared bounds to `main` and `rest` where those are lower,
  // then `main` and `rest` to the shared bounds. Safe from any thread.
  void Exchange(double& main, std::span<double> rest);

 private:
  std::mutex mutex_;
  bool active_ = false;
  double main_ = 0;
  std::vector<double> rest_;
};

}  // namespace creditsim
