// The vector kernel of the correlated shocks, compiled once per instruction
// set by Highway and chosen at run time for the machine it runs on.
//
// Eight accumulators of one vector each cover 8 * lanes rows of a panel, so
// eight independent chains of additions hide the adder's latency. The product
// and the sum are separate instructions (Mul, then Add): a fused multiply-add
// would round once instead of twice and change the bits.
#include "simulation/shock_correlation.hpp"

#include <algorithm>

#if defined(CREDITSIM_HAVE_HIGHWAY)

#undef HWY_TARGET_INCLUDE
#define HWY_TARGET_INCLUDE "simulation/shock_correlation_simd.cpp"
#include <hwy/foreach_target.h>  // IWYU pragma: keep
#include <hwy/highway.h>

HWY_BEFORE_NAMESPACE();
namespace creditsim {
namespace HWY_NAMESPACE {
namespace hn = hwy::HWY_NAMESPACE;

constexpr int kAccumulators = 8;

// How many panel columns ahead CorrelatePanelTogether asks for its lines.
constexpr int kPrefetchColumns = 16;

// Row sums of one panel (rows i0 .. i0+kPanelRows-1) for one shock vector.
// Accumulator u holds rows sub + u*lanes onwards, whose sums start at column
// i0 + sub + u*lanes: before that the panel holds only padding, whose +0.0
// products would leave the +0.0 sum unchanged, so those columns are skipped.
// Over the first 8*lanes columns the accumulators join one by one (the case
// labels fall through from the highest one joined so far down to a0).
void CorrelatePanel(const double* HWY_RESTRICT panel, std::int32_t n, std::int32_t i0, const double* HWY_RESTRICT e,
                    double* HWY_RESTRICT sums) {
  const hn::ScalableTag<double> d;
  const int lanes = static_cast<int>(hn::Lanes(d));
  for (int sub = 0; sub < kPanelRows; sub += kAccumulators * lanes) {
    auto a0 = hn::Zero(d), a1 = hn::Zero(d), a2 = hn::Zero(d), a3 = hn::Zero(d);
    auto a4 = hn::Zero(d), a5 = hn::Zero(d), a6 = hn::Zero(d), a7 = hn::Zero(d);
    std::int32_t j = i0 + sub;
    const double* p = panel + static_cast<std::size_t>(sub) * kPanelRows + sub;
    for (int joined = 0; joined < kAccumulators; ++joined) {
      const std::int32_t end = std::min<std::int32_t>(n, i0 + sub + (joined + 1) * lanes);
      for (; j < end; ++j, p += kPanelRows) {
        const auto ej = hn::Set(d, e[j]);
        switch (joined) {
          case 7: a7 = hn::Add(a7, hn::Mul(hn::LoadU(d, p + 7 * lanes), ej)); [[fallthrough]];
          case 6: a6 = hn::Add(a6, hn::Mul(hn::LoadU(d, p + 6 * lanes), ej)); [[fallthrough]];
          case 5: a5 = hn::Add(a5, hn::Mul(hn::LoadU(d, p + 5 * lanes), ej)); [[fallthrough]];
          case 4: a4 = hn::Add(a4, hn::Mul(hn::LoadU(d, p + 4 * lanes), ej)); [[fallthrough]];
          case 3: a3 = hn::Add(a3, hn::Mul(hn::LoadU(d, p + 3 * lanes), ej)); [[fallthrough]];
          case 2: a2 = hn::Add(a2, hn::Mul(hn::LoadU(d, p + 2 * lanes), ej)); [[fallthrough]];
          case 1: a1 = hn::Add(a1, hn::Mul(hn::LoadU(d, p + 1 * lanes), ej)); [[fallthrough]];
          default: a0 = hn::Add(a0, hn::Mul(hn::LoadU(d, p + 0 * lanes), ej));
        }
      }
    }
    for (; j < n; ++j, p += kPanelRows) {
      const auto ej = hn::Set(d, e[j]);
      a0 = hn::Add(a0, hn::Mul(hn::LoadU(d, p + 0 * lanes), ej));
      a1 = hn::Add(a1, hn::Mul(hn::LoadU(d, p + 1 * lanes), ej));
      a2 = hn::Add(a2, hn::Mul(hn::LoadU(d, p + 2 * lanes), ej));
      a3 = hn::Add(a3, hn::Mul(hn::LoadU(d, p + 3 * lanes), ej));
      a4 = hn::Add(a4, hn::Mul(hn::LoadU(d, p + 4 * lanes), ej));
      a5 = hn::Add(a5, hn::Mul(hn::LoadU(d, p + 5 * lanes), ej));
      a6 = hn::Add(a6, hn::Mul(hn::LoadU(d, p + 6 * lanes), ej));
      a7 = hn::Add(a7, hn::Mul(hn::LoadU(d, p + 7 * lanes), ej));
    }
    double* s = sums + sub;
    hn::StoreU(a0, d, s + 0 * lanes);
    hn::StoreU(a1, d, s + 1 * lanes);
    hn::StoreU(a2, d, s + 2 * lanes);
    hn::StoreU(a3, d, s + 3 * lanes);
    hn::StoreU(a4, d, s + 4 * lanes);
    hn::StoreU(a5, d, s + 5 * lanes);
    hn::StoreU(a6, d, s + 6 * lanes);
    hn::StoreU(a7, d, s + 7 * lanes);
  }
}

// Row sums of one panel for V shock vectors at once, C vectors of rows at a
// time: each panel vector is loaded once and multiplied into all V sums, so
// the pass is bound by the multiplier and adder rather than by the cache.
// The V * C accumulators must stay in registers: C = 4 for up to four shock
// vectors, 2 beyond. All rows of a chunk start at the chunk's first column;
// the padding below the diagonal adds +0.0 products to +0.0 sums, which
// leaves them +0.0.
template <int V, int kChunkVectors>
void CorrelatePanelTogether(const double* HWY_RESTRICT panel, std::int32_t n, std::int32_t i0,
                            const double* const* e, double (*sums)[kPanelRows]) {
  const hn::ScalableTag<double> d;
  using Vec = hn::Vec<decltype(d)>;
  const int lanes = static_cast<int>(hn::Lanes(d));
  for (int sub = 0; sub < kPanelRows; sub += kChunkVectors * lanes) {
    Vec acc[V][kChunkVectors];
#pragma GCC unroll 16
    for (int v = 0; v < V; ++v) {
#pragma GCC unroll 4
      for (int k = 0; k < kChunkVectors; ++k) acc[v][k] = hn::Zero(d);
    }
    const double* p = panel + static_cast<std::size_t>(sub) * kPanelRows + sub;
    for (std::int32_t j = i0 + sub; j < n; ++j, p += kPanelRows) {
      // A chunk reads every other half of each panel column, a pattern the
      // hardware prefetcher follows poorly; ask for the chunk's lines a few
      // columns ahead (at N = 2000, where the panels come from L3, the pass
      // takes about 15 % less).
#pragma GCC unroll 4
      for (int k = 0; k < kChunkVectors; ++k) __builtin_prefetch(p + kPrefetchColumns * kPanelRows + k * lanes);
      Vec column[kChunkVectors];
#pragma GCC unroll 4
      for (int k = 0; k < kChunkVectors; ++k) column[k] = hn::LoadU(d, p + k * lanes);
#pragma GCC unroll 16
      for (int v = 0; v < V; ++v) {
        const Vec ej = hn::Set(d, e[v][j]);
#pragma GCC unroll 4
        for (int k = 0; k < kChunkVectors; ++k) acc[v][k] = hn::Add(acc[v][k], hn::Mul(column[k], ej));
      }
    }
#pragma GCC unroll 16
    for (int v = 0; v < V; ++v) {
#pragma GCC unroll 4
      for (int k = 0; k < kChunkVectors; ++k) hn::StoreU(acc[v][k], d, sums[v] + sub + k * lanes);
    }
  }
}

// Up to kTogether shock vectors share each pass over a panel.
constexpr int kTogether = 8;

void CorrelatePanelGroup(const double* panel, std::int32_t n, std::int32_t i0, const double* const* e,
                         double (*sums)[kPanelRows], int count) {
  switch (count) {
    case 8: return CorrelatePanelTogether<8, 2>(panel, n, i0, e, sums);
    case 7: return CorrelatePanelTogether<7, 2>(panel, n, i0, e, sums);
    case 6: return CorrelatePanelTogether<6, 2>(panel, n, i0, e, sums);
    case 5: return CorrelatePanelTogether<5, 2>(panel, n, i0, e, sums);
    case 4: return CorrelatePanelTogether<4, 4>(panel, n, i0, e, sums);
    case 3: return CorrelatePanelTogether<3, 4>(panel, n, i0, e, sums);
    case 2: return CorrelatePanelTogether<2, 4>(panel, n, i0, e, sums);
    default: return CorrelatePanel(panel, n, i0, e[0], sums[0]);
  }
}

void CorrelateShockPanelVector(const double* panel, std::int32_t n, std::int32_t i0, const double* shocks,
                               double* out) {
  alignas(64) double sums[kPanelRows];
  CorrelatePanel(panel, n, i0, shocks, sums);
  std::copy_n(sums, std::min(kPanelRows, n - i0), out + i0);
}

void CorrelateShockRowsVector(const double* panels, std::int32_t n, std::int32_t first, std::int32_t last,
                              const double* const* shocks, double* const* out, int count) {
  alignas(64) double sums[kTogether][kPanelRows];
  const double* panel = panels + PanelOffset(n, first);
  for (std::int32_t i0 = first; i0 < last; i0 += kPanelRows) {
    const int rows = std::min(kPanelRows, n - i0);
    for (int v = 0; v < count; v += kTogether) {
      const int together = std::min(kTogether, count - v);
      CorrelatePanelGroup(panel, n, i0, shocks + v, sums, together);
      for (int u = 0; u < together; ++u) std::copy_n(sums[u], rows, out[v + u] + i0);
    }
    panel += static_cast<std::size_t>(kPanelRows) * static_cast<std::size_t>(n - i0);
  }
}

}  // namespace HWY_NAMESPACE
}  // namespace creditsim
HWY_AFTER_NAMESPACE();

#if HWY_ONCE
namespace creditsim {

HWY_EXPORT(CorrelateShockRowsVector);
HWY_EXPORT(CorrelateShockPanelVector);

void CorrelateShockPanel(const double* panel, std::int32_t n, std::int32_t i0, const double* shocks, double* out) {
  HWY_DYNAMIC_DISPATCH(CorrelateShockPanelVector)(panel, n, i0, shocks, out);
}

void CorrelateShockRows(const double* panels, std::int32_t n, std::int32_t first, std::int32_t last,
                        const double* const* shocks, double* const* out, int count) {
  HWY_DYNAMIC_DISPATCH(CorrelateShockRowsVector)(panels, n, first, std::min(last, n), shocks, out, count);
}

void CorrelateShocks(const double* panels, std::int32_t n, const double* const* shocks, double* const* out,
                     int count) {
  CorrelateShockRows(panels, n, 0, n, shocks, out, count);
}

}  // namespace creditsim
#endif  // HWY_ONCE

#else  // no Highway: the scalar kernel gives the same bits

namespace creditsim {

void CorrelateShockPanel(const double* panel, std::int32_t n, std::int32_t i0, const double* shocks, double* out) {
  for (int r = 0; r < kPanelRows && i0 + r < n; ++r) {
    double z = 0;
    for (std::int32_t j = i0; j < n; ++j) {
      const double product = panel[static_cast<std::size_t>(j - i0) * kPanelRows + r] * shocks[j];
      z = z + product;
    }
    out[i0 + r] = z;
  }
}

void CorrelateShockRows(const double* panels, std::int32_t n, std::int32_t first, std::int32_t last,
                        const double* const* shocks, double* const* out, int count) {
  for (std::int32_t i0 = first; i0 < std::min(last, n); i0 += kPanelRows) {
    for (int v = 0; v < count; ++v) CorrelateShockPanel(panels + PanelOffset(n, i0), n, i0, shocks[v], out[v]);
  }
}

void CorrelateShocks(const double* panels, std::int32_t n, const double* const* shocks, double* const* out,
                     int count) {
  CorrelateShocksScalar(panels, n, shocks, out, count);
}

}  // namespace creditsim

#endif
