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
  // `shards` is the run's shard count.
  MergeBounds(const SimulationRun& host, std::int32_t shards);

  bool Active() const { return active_; }
  std::int32_t AssetCount() const { return static_cast<std::int32_t>(rest_.size()); }

  // The entry of its lists that each group reports: ceil(K / shards) - 1.
  // Once groups covering enough shards have reported, the largest report
  // of each list has at least K values of the merge at or below it.
  int ReportedEntry() const { return reportedEntry_; }

  // Registers a group of `shards` shards and lowers `main` and `rest` to
  // the shared bounds; returns the group's number for Exchange.
  int Join(int shards, double& main, std::span<double> rest);

  // Takes the group's report (per list, the largest of its shards' entries
  // number ReportedEntry, +infinity where a shard's list is not ascending
  // and free of NaN), lowers the shared bounds to what the reports of all
  // groups and `main` and `rest` allow, then `main` and `rest` to the
  // shared bounds. Safe from any thread.
  void Exchange(int group, double reportedMain, std::span<const double> reportedRest, double& main,
                std::span<double> rest);

 private:
  struct Report {
    int shards = 0;
    bool made = false;
    double main = 0;
    std::vector<double> rest;
  };

  void LowerToReports();

  std::mutex mutex_;
  bool active_ = false;
  int tailSize_ = 0;
  int reportedEntry_ = 0;
  double main_ = 0;
  std::vector<double> rest_;
  std::vector<Report> reports_;
};

}  // namespace creditsim
