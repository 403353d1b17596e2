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

// Insertion into an ascending, NaN-free column of a value that is not NaN;
// `filled` is the column's FilledSlots. Every slot from there on holds
// +infinity, which is not below any value, so the search covers only the
// filled slots, and only they move: moving +infinity onto +infinity would
// change no bit. A column that is filling is mostly empty.
void InsertIntoOrdered(double v, double* column, int K, std::int32_t& filled) {
  double* slot = filled == 0 ? column : FirstNotBelow(column, filled, v);
  if (slot == column + K) return;
  double* end = column + std::min(filled, K - 1);
  std::copy_backward(slot, end, end + 1);
  *slot = v;
  if (filled < K && v != kEmpty) ++filled;
}

}  // namespace

void RestOfPortfolioStore::Load(const SimulationRun& run) {
  for (int i = 0; i < K_; ++i) {
    const double* row = run.tailRestPnl + static_cast<std::ptrdiff_t>(i) * M_;
    for (std::ptrdiff_t a = 0; a < M_; ++a) columns_[a * K_ + i] = row[a];
  }
  for (std::ptrdiff_t a = 0; a < M_ && K_ > 0; ++a) {
    ordered_[a] = TailIsAscendingWithoutNaN(columns_ + a * K_, K_);
    filled_[a] = ordered_[a] ? FilledSlots(columns_ + a * K_, K_) : K_;
    top_[a] = columns_[a * K_ + K_ - 1];
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
    // The columns are far larger than the cache and the candidates are
    // scattered: ask for the filled part of a column a few candidates ahead,
    // so that the loads of several insertions overlap.
    if (k + kPrefetchAhead < count) {
      const std::ptrdiff_t ahead = candidates_[k + kPrefetchAhead];
      const double* column = columns_ + ahead * K_;
      const std::int32_t filled = std::min(filled_[ahead] + 1, K_);
      for (std::int32_t i = 0; i < filled; i += 8) __builtin_prefetch(column + i, 1);
    }
    const std::ptrdiff_t a = candidates_[k];
    const double rest = run.assetRestPnl[a];
    double* column = columns_ + a * K_;
    if (ordered_[a] && !std::isnan(rest)) {
      InsertIntoOrdered(rest, column, K_, filled_[a]);
    } else {
      InsertIntoTail(rest, column, K_);
      ordered_[a] = 0;
    }
    top_[a] = column[K_ - 1];
    if (sharedBound_ != nullptr && top_[a] < sharedBound_[a]) sharedBound_[a] = top_[a];
    changed_ = true;
  }
}

void RestOfPortfolioStore::ShareBound(double* bound) {
  sharedBound_ = bound;
  for (std::int32_t a = 0; a < M_ && K_ > 0; ++a) {
    if (top_[a] < bound[a]) bound[a] = top_[a];
  }
}

void RestOfPortfolioStore::WriteBack(const SimulationRun& run) {
  if (!changed_) return;
  for (int i = 0; i < K_; ++i) {
    double* row = run.tailRestPnl + static_cast<std::ptrdiff_t>(i) * M_;
    for (std::ptrdiff_t a = 0; a < M_; ++a) row[a] = columns_[a * K_ + i];
  }
}

}  // namespace creditsim
