// Bounded insertion into sorted slot lists that live in the host's arrays.
// Slots move from the top down, whole (P&L, asset vector, ratings,
// multiplier), so the store is consistent after every scenario.
#include "simulation/tail_store.hpp"

#include <algorithm>
#include <cmath>
#include <cstddef>

namespace creditsim {

int TailInsertPosition(double v, const double* x, int K, std::ptrdiff_t stride) {
  int pos = K;
  for (int i = K - 1; i >= 0; --i) {
    if (v > x[i * stride]) break;
    pos = i;
  }
  return pos;
}

bool TailIsAscendingWithoutNaN(const double* x, int K, std::ptrdiff_t stride) {
  for (int i = 0; i < K; ++i) {
    if (std::isnan(x[i * stride])) return false;
    if (i > 0 && x[(i - 1) * stride] > x[i * stride]) return false;
  }
  return true;
}

void InsertIntoTail(double v, double* x, int K, std::ptrdiff_t stride) {
  const int pos = TailInsertPosition(v, x, K, stride);
  if (pos == K) return;
  for (int i = K - 1; i > pos; --i) x[i * stride] = x[(i - 1) * stride];
  x[pos * stride] = v;
}

namespace {

void UpdateMainStore(const SimulationRun& run, double L, double spreadMultiplier) {
  const int K = run.tailSize;
  const std::ptrdiff_t M = run.assetCount, N = run.issuerCount;
  const int pos = TailInsertPosition(L, run.tailPnl, K);
  if (pos == K) return;
  for (int i = K - 1; i > pos; --i) {
    run.tailPnl[i] = run.tailPnl[i - 1];
    std::copy_n(run.tailAssetPnl + (i - 1) * M, M, run.tailAssetPnl + i * M);
    std::copy_n(run.tailRating + (i - 1) * N, N, run.tailRating + i * N);
    run.tailMultiplier[i] = run.tailMultiplier[i - 1];
  }
  run.tailPnl[pos] = L;
  std::copy_n(run.assetPnl, M, run.tailAssetPnl + pos * M);
  std::copy_n(run.issuerNewRating, N, run.tailRating + pos * N);
  run.tailMultiplier[pos] = spreadMultiplier;
}

void UpdateRestOfPortfolio(const SimulationRun& run, double L) {
  const int K = run.tailSize;
  const std::ptrdiff_t M = run.assetCount;
  for (std::ptrdiff_t a = 0; a < M; ++a) {
    const double rest = L - run.assetPnl[a];
    run.assetRestPnl[a] = rest;
    if (K >= 1) InsertIntoTail(rest, run.tailRestPnl + a, K, M);
  }
}

}  // namespace

void UpdateTailStore(const SimulationRun& run, std::int32_t s, double spreadMultiplier) {
  const double L = run.scenarioPnl[s];
  if (run.tailSize >= 1) UpdateMainStore(run, L, spreadMultiplier);
  if (L < 0) UpdateRestOfPortfolio(run, L);
}

}  // namespace creditsim
