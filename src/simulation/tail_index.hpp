// The main tail store of the fast engine: the K worst scenarios, with the
// order of the slots kept in a small index instead of in the host's arrays.
//
// Inserting a scenario into the host's layout moves every slot below it,
// M + N + 2 values each. Here the payloads (asset P&L vectors and rating
// vectors) stay where they were written, in the host's own slot rows, and
// only the index of K integers is shifted: the new scenario takes over the
// row of the slot that drops out. The host's layout is restored once, when
// the run ends, by permuting the rows in place. Every comparison is the one
// the step-by-step store makes, on the same values in the same order, so ties
// and NaN land exactly where they would have.
#pragma once

#include <cstdint>

#include "simulation/simulation_run.hpp"
#include "simulation/working_memory.hpp"

namespace creditsim {

class TailIndex {
 public:
  // Takes the index and the scratch row for the final permutation.
  void Allocate(WorkingMemory& memory, int K, std::int32_t M, std::int32_t N);

  // Starts from the host's store as passed (only when K >= 1).
  void Load(const SimulationRun& run);

  // Merges a scenario with P&L `L`: its asset P&L vector and ratings are
  // written into the host row of the slot that drops out.
  void Insert(const SimulationRun& run, double L, double spreadMultiplier, const double* assetPnl,
              const RatingCode* ratings);

  // Leaves tailPnl, tailMultiplier, tailAssetPnl and tailRating in the
  // host's layout: slot i in row i.
  void WriteBack(const SimulationRun& run);

  // As RestOfPortfolioStore::ShareBound, for the scenario P&L: a scenario
  // above `*bound` is not inserted, and insertions lower it to this store's
  // last slot.
  void ShareBound(double* bound);

  // The scenario P&L of the slots, in slot order.
  const double* SlotPnl() const { return pnl_; }

 private:
  void MoveRow(const SimulationRun& run, int from, int to);

  int K_ = 0;
  double* pnl_ = nullptr;          // tail P&L by slot
  double* multiplier_ = nullptr;   // spread multiplier by slot
  std::int32_t* row_ = nullptr;    // host row holding each slot's payload
  std::int32_t* placed_ = nullptr;  // rows already restored, during WriteBack
  double* scratchAssets_ = nullptr;
  RatingCode* scratchRatings_ = nullptr;
  double* sharedBound_ = nullptr;
  bool changed_ = false;
};

}  // namespace creditsim
