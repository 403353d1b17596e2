// Most rest-of-portfolio values lie above their column's top slot once the
// tails have filled, which costs one comparison; the others take a binary
// search in ordered columns and the defining scan in the rest.
#include "simulation/rest_of_portfolio_store.hpp"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <limits>

#include "simulation/rest_of_portfolio_kernel.hpp"
#include "simulation/tail_store.hpp"

namespace creditsim {

void RestOfPortfolioStore::Allocate(WorkingMemory& memory, int K, std::int32_t M) {
  K_ = std::max(K, 0);
  M_ = M;
  columns_ = memory.Take<double>(static_cast<std::size_t>(K_) * static_cast<std::size_t>(M));
  ordered_ = memory.Take<std::uint8_t>(K_ > 0 ? static_cast<std::size_t>(M) : 0);
  filled_ = memory.Take<std::int32_t>(K_ > 0 ? static_cast<std::size_t>(M) : 0);
  top_ = memory.Take<double>(K_ > 0 ? static_cast<std::size_t>(M) : 0);
  candidates_ = memory.Take<std::int32_t>(K_ > 0 ? static_cast<std::size_t>(M) : 0);
  batches_ = memory.Take<double>(K_ > 0 ? static_cast<std::size_t>(M) * kBatch : 0);
  waiting_ = memory.Take<std::uint8_t>(K_ > 0 ? static_cast<std::size_t>(M) : 0);
  merged_ = memory.Take<double>(static_cast<std::size_t>(K_));
}

namespace {

// The first slot not below v, by a bisection whose steps are conditional
// moves rather than branches (the outcome of each step is unpredictable).
double* FirstNotBelow(double* column, int K, double v) {
  double* base = column;
  for (int n = K; n > 1;) {
    const int half = n / 2;
    base = base[half] < v ? base + half : base;
    n -= half;
  }
  return base + (*base < v);
}

constexpr double kEmpty = std::numeric_limits<double>::infinity();
constexpr std::int32_t kPrefetchAhead = 4;

// Slots before the first empty (+infinity) one of an ascending column.
std::int32_t FilledSlots(const double* column, int K) {
  std::int32_t filled = 0;
  while (filled < K && column[filled] != kEmpty) ++filled;
  return filled;
}

// Sorts a batch ascending, a later value before an earlier equal one: the
// order in which insertion one by one would leave them.
void SortLaterFirst(double* batch, int n) {
  for (int i = 1; i < n; ++i) {
    const double v = batch[i];
    int j = i;
    for (; j > 0 && batch[j - 1] >= v; --j) batch[j] = batch[j - 1];
    batch[j] = v;
  }
}

// Whether every slot is empty, as in a run that starts a fresh set of tails
// (every shard): then there is nothing to transpose or check.
bool AllEmpty(const double* slots, std::size_t count) {
  bool empty = true;
  for (std::size_t i = 0; i < count; ++i) empty &= slots[i] == kEmpty;
  return empty;
}

}  // namespace

void RestOfPortfolioStore::Load(const SimulationRun& run) {
  const std::size_t slots = static_cast<std::size_t>(K_) * static_cast<std::size_t>(M_);
  if (AllEmpty(run.tailRestPnl, slots)) {
    const std::int32_t assets = K_ > 0 ? M_ : 0;  // the per-asset arrays are empty when K < 1
    std::fill_n(columns_, slots, kEmpty);
    std::fill_n(ordered_, assets, std::uint8_t{1});
    std::fill_n(filled_, assets, 0);
    std::fill_n(top_, assets, kEmpty);
    std::fill_n(waiting_, assets, std::uint8_t{0});
    changed_ = false;
    return;
  }
  for (int i = 0; i < K_; ++i) {
    const double* row = run.tailRestPnl + static_cast<std::ptrdiff_t>(i) * M_;
    for (std::ptrdiff_t a = 0; a < M_; ++a) columns_[a * K_ + i] = row[a];
  }
  for (std::ptrdiff_t a = 0; a < M_ && K_ > 0; ++a) {
    ordered_[a] = TailIsAscendingWithoutNaN(columns_ + a * K_, K_);
    filled_[a] = ordered_[a] ? FilledSlots(columns_ + a * K_, K_) : K_;
    top_[a] = columns_[a * K_ + K_ - 1];
    waiting_[a] = 0;
  }
  changed_ = false;
}

std::int32_t FindRestOfPortfolioCandidatesScalar(double L, const double* pnl, const double* top, std::int32_t M,
                                                 double* rest, std::int32_t* candidates) {
  std::int32_t count = 0;
  for (std::int32_t a = 0; a < M; ++a) {
    rest[a] = L - pnl[a];
    if (!(rest[a] > top[a])) candidates[count++] = a;
  }
  return count;
}

void RestOfPortfolioStore::Merge(const SimulationRun& run, double L, const double* assetPnl) {
  if (K_ == 0) {
    for (std::ptrdiff_t a = 0; a < M_; ++a) run.assetRestPnl[a] = L - assetPnl[a];
    return;
  }
  const double* limit = sharedBound_ != nullptr ? sharedBound_ : top_;
  const std::int32_t count = FindRestOfPortfolioCandidates(L, assetPnl, limit, M_, run.assetRestPnl, candidates_);
  for (std::int32_t k = 0; k < count; ++k) {
    // The batches and columns are scattered over more memory than the cache
    // holds: ask for a candidate's batch a few candidates ahead, and for the
    // filled part of its column when the batch will be full.
    if (k + kPrefetchAhead < count) {
      const std::ptrdiff_t ahead = candidates_[k + kPrefetchAhead];
      __builtin_prefetch(batches_ + ahead * kBatch, 1);
      if (waiting_[ahead] == kBatch - 1) {
        const double* column = columns_ + ahead * K_;
        const std::int32_t filled = std::min(filled_[ahead] + 1, K_);
        for (std::int32_t i = 0; i < filled; i += 8) __builtin_prefetch(column + i, 1);
      }
    }
    const std::ptrdiff_t a = candidates_[k];
    const double rest = run.assetRestPnl[a];
    if (ordered_[a] && !std::isnan(rest)) {
      batches_[a * kBatch + waiting_[a]] = rest;
      if (++waiting_[a] == kBatch) MergeBatch(a);
    } else {
      // The earlier values go in first; then the defining scan, which also
      // serves a column that a NaN leaves unordered.
      MergeBatch(a);
      InsertIntoTail(rest, columns_ + a * K_, K_);
      ordered_[a] = 0;
      NewTop(a);
    }
    changed_ = true;
  }
}

// Only the slots from the first one not below the batch's lowest value
// change: the rest of the merge of the filled slots and the batch (the
// batch's value first where two are equal, being later), cut at K. Slots
// past the filled ones hold +infinity before and after, and a +infinity of
// the batch landing among them leaves them as they are.
void RestOfPortfolioStore::MergeBatch(std::ptrdiff_t a) {
  const int n = waiting_[a];
  if (n == 0) return;
  waiting_[a] = 0;
  double* batch = batches_ + a * kBatch;
  SortLaterFirst(batch, n);
  double* column = columns_ + a * K_;
  const std::int32_t filled = filled_[a];
  const auto start = static_cast<std::int32_t>(filled == 0 ? 0 : FirstNotBelow(column, filled, batch[0]) - column);
  const std::int32_t end = std::min<std::int32_t>(K_, filled + n);
  std::int32_t i = start, j = 0;
  for (std::int32_t out = 0; out < end - start; ++out) {
    merged_[out] = j < n && (i == filled || batch[j] <= column[i]) ? batch[j++] : column[i++];
  }
  std::copy_n(merged_, end - start, column + start);
  std::int32_t nowFilled = end;
  while (nowFilled > 0 && column[nowFilled - 1] == kEmpty) --nowFilled;
  filled_[a] = nowFilled;
  NewTop(a);
}

void RestOfPortfolioStore::NewTop(std::ptrdiff_t a) {
  top_[a] = columns_[a * K_ + K_ - 1];
  if (sharedBound_ != nullptr && top_[a] < sharedBound_[a]) sharedBound_[a] = top_[a];
}

void RestOfPortfolioStore::ShareBound(double* bound) {
  sharedBound_ = bound;
  for (std::int32_t a = 0; a < M_ && K_ > 0; ++a) {
    if (top_[a] < bound[a]) bound[a] = top_[a];
  }
}

void RestOfPortfolioStore::WriteBack(const SimulationRun& run) {
  if (!changed_) return;
  for (std::ptrdiff_t a = 0; a < M_ && K_ > 0; ++a) MergeBatch(a);
  for (int i = 0; i < K_; ++i) {
    double* row = run.tailRestPnl + static_cast<std::ptrdiff_t>(i) * M_;
    for (std::ptrdiff_t a = 0; a < M_; ++a) row[a] = columns_[a * K_ + i];
  }
}

}  // namespace creditsim
