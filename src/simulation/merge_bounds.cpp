#include "simulation/merge_bounds.hpp"

#include <algorithm>
#include <limits>

#include "simulation/shard_merge.hpp"

namespace creditsim {

MergeBounds::MergeBounds(const SimulationRun& host, std::int32_t shards)
    : active_(host.tailSize >= 1), tailSize_(host.tailSize) {
  if (!active_) return;
  reportedEntry_ = (host.tailSize + std::max(shards, 1) - 1) / std::max(shards, 1) - 1;
  rest_.resize(static_cast<std::size_t>(host.assetCount));
  HostTailBounds(host, main_, rest_.data());
}

int MergeBounds::Join(int shards, double& main, std::span<double> rest) {
  std::lock_guard lock(mutex_);
  reports_.push_back({shards, false, 0, {}});
  main = std::min(main, main_);
  for (std::size_t a = 0; a < rest.size(); ++a) rest[a] = std::min(rest[a], rest_[a]);
  return static_cast<int>(reports_.size()) - 1;
}

void MergeBounds::Exchange(int group, double reportedMain, std::span<const double> reportedRest, double& main,
                           std::span<double> rest) {
  std::lock_guard lock(mutex_);
  Report& report = reports_[static_cast<std::size_t>(group)];
  report.made = true;
  report.main = reportedMain;
  report.rest.assign(reportedRest.begin(), reportedRest.end());
  LowerToReports();
  // NaN never lowers a bound: `<` is false for it.
  if (main < main_) main_ = main;
  main = main_;
  for (std::size_t a = 0; a < rest.size(); ++a) {
    if (rest[a] < rest_[a]) rest_[a] = rest[a];
    rest[a] = rest_[a];
  }
}

// Every shard of a group that reported has ReportedEntry + 1 values at or
// below its group's report (entries of an ascending list only fall as values
// are inserted, so an old report stays true). Once the shards of the groups
// that reported hold K such values between them, the largest report of each
// list bounds the merge.
void MergeBounds::LowerToReports() {
  int shards = 0;
  for (const Report& report : reports_) shards += report.made ? report.shards : 0;
  if (static_cast<std::int64_t>(shards) * (reportedEntry_ + 1) < tailSize_) return;
  double main = -std::numeric_limits<double>::infinity();
  std::vector<double> rest(rest_.size(), main);
  for (const Report& report : reports_) {
    if (!report.made) continue;
    main = std::max(main, report.main);
    for (std::size_t a = 0; a < rest.size(); ++a) rest[a] = std::max(rest[a], report.rest[a]);
  }
  if (main < main_) main_ = main;
  for (std::size_t a = 0; a < rest.size(); ++a) {
    if (rest[a] < rest_[a]) rest_[a] = rest[a];
  }
}

}  // namespace creditsim
