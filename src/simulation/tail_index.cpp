// Insertion moves K integers; the final permutation follows each cycle of
// the index once, with one row of scratch, so the restore costs at most one
// copy of every row.
#include "simulation/tail_index.hpp"

#include <algorithm>
#include <cstddef>

#include "simulation/tail_store.hpp"

namespace creditsim {

void TailIndex::Allocate(WorkingMemory& memory, int K, std::int32_t M, std::int32_t N) {
  K_ = std::max(K, 0);
  pnl_ = memory.Take<double>(K_);
  multiplier_ = memory.Take<double>(K_);
  row_ = memory.Take<std::int32_t>(K_);
  placed_ = memory.Take<std::int32_t>(K_);
  scratchAssets_ = memory.Take<double>(K_ > 0 ? M : 0);
  scratchRatings_ = memory.Take<RatingCode>(K_ > 0 ? N : 0);
}

void TailIndex::Load(const SimulationRun& run) {
  std::copy_n(run.tailPnl, K_, pnl_);
  std::copy_n(run.tailMultiplier, K_, multiplier_);
  for (int i = 0; i < K_; ++i) row_[i] = i;
  changed_ = false;
}

void TailIndex::Insert(const SimulationRun& run, double L, double spreadMultiplier, const double* assetPnl,
                       const RatingCode* ratings) {
  if (sharedBound_ != nullptr && L > *sharedBound_) return;
  const int pos = TailInsertPosition(L, pnl_, K_);
  if (pos == K_) return;
  const std::int32_t freed = row_[K_ - 1];
  for (int i = K_ - 1; i > pos; --i) {
    pnl_[i] = pnl_[i - 1];
    multiplier_[i] = multiplier_[i - 1];
    row_[i] = row_[i - 1];
  }
  pnl_[pos] = L;
  multiplier_[pos] = spreadMultiplier;
  row_[pos] = freed;
  const std::ptrdiff_t M = run.assetCount, N = run.issuerCount;
  std::copy_n(assetPnl, M, run.tailAssetPnl + freed * M);
  std::copy_n(ratings, N, run.tailRating + freed * N);
  changed_ = true;
  if (sharedBound_ != nullptr && pnl_[K_ - 1] < *sharedBound_) *sharedBound_ = pnl_[K_ - 1];
}

void TailIndex::ShareBound(double* bound) {
  sharedBound_ = bound;
  if (K_ > 0 && pnl_[K_ - 1] < *bound) *bound = pnl_[K_ - 1];
}

void TailIndex::MoveRow(const SimulationRun& run, int from, int to) {
  const std::ptrdiff_t M = run.assetCount, N = run.issuerCount;
  std::copy_n(run.tailAssetPnl + from * M, M, run.tailAssetPnl + to * M);
  std::copy_n(run.tailRating + from * N, N, run.tailRating + to * N);
}

void TailIndex::WriteBack(const SimulationRun& run) {
  if (!changed_) return;
  std::copy_n(pnl_, K_, run.tailPnl);
  std::copy_n(multiplier_, K_, run.tailMultiplier);
  // Slot i must end in row i; its payload is in row_[i]. Follow each cycle:
  // save row `start`, pull the payload of every slot into its row, and put the
  // saved row where the cycle closes.
  const std::ptrdiff_t M = run.assetCount, N = run.issuerCount;
  for (int i = 0; i < K_; ++i) placed_[i] = 0;
  for (int start = 0; start < K_; ++start) {
    if (row_[start] == start || placed_[start] != 0) continue;
    std::copy_n(run.tailAssetPnl + start * M, M, scratchAssets_);
    std::copy_n(run.tailRating + start * N, N, scratchRatings_);
    int slot = start;
    while (row_[slot] != start) {
      MoveRow(run, row_[slot], slot);
      placed_[slot] = 1;
      slot = row_[slot];
    }
    std::copy_n(scratchAssets_, M, run.tailAssetPnl + slot * M);
    std::copy_n(scratchRatings_, N, run.tailRating + slot * N);
    placed_[slot] = 1;
  }
  for (int i = 0; i < K_; ++i) row_[i] = i;
  changed_ = false;
}

}  // namespace creditsim
