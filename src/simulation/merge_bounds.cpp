#include "simulation/merge_bounds.hpp"

#include "simulation/shard_merge.hpp"

namespace creditsim {

MergeBounds::MergeBounds(const SimulationRun& host) : active_(host.tailSize >= 1) {
  if (!active_) return;
  rest_.resize(static_cast<std::size_t>(host.assetCount));
  HostTailBounds(host, main_, rest_.data());
}

void MergeBounds::Exchange(double& main, std::span<double> rest) {
  std::lock_guard lock(mutex_);
  // NaN never lowers a bound: `<` is false for it.
  if (main < main_) main_ = main;
  main = main_;
  for (std::size_t a = 0; a < rest.size(); ++a) {
    if (rest[a] < rest_[a]) rest_[a] = rest[a];
    rest[a] = rest_[a];
  }
}

}  // namespace creditsim
