// The factorisation on blocks of rows side by side, one instruction set per
// Highway target, chosen at run time.
//
// Row j of the factor is a sequence of dot products, each a chain of
// subtractions in a fixed order, and each entry needs the entries after it
// in the same row: one row alone runs at the adder's latency. But rows do
// not depend on each other except through rows below them. So a block of
// rows j0 .. j0 + B - 1 (B = kChains vectors of lanes) is computed together,
// one row per lane: every entry i below the block is one vector step per
// column k, the same multiply and subtraction for every row, each lane's
// chain in the row-at-a-time order. Entries inside the block need the
// block's own lower rows, so they come last, one row of the block at a time
// (its diagonal first, then entry i of the rows above it, in masked lanes).
// The block lives transposed in a slab (column k of the block is one
// contiguous row of B values) and is written to F when complete.
#include "numerics/correlation_factor.hpp"

#if defined(CREDITSIM_HAVE_HIGHWAY)

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <vector>

#undef HWY_TARGET_INCLUDE
#define HWY_TARGET_INCLUDE "numerics/correlation_factor_simd.cpp"
#include <hwy/foreach_target.h>  // IWYU pragma: keep
#include <hwy/highway.h>

HWY_BEFORE_NAMESPACE();
namespace creditsim {
namespace HWY_NAMESPACE {
namespace hn = hwy::HWY_NAMESPACE;

// Independent chains per column step: enough to keep the adder busy.
constexpr int kChains = 4;

class BlockFactorisation {
 public:
  // A lane count fixed at compile time, so that the chains unroll and stay in
  // registers (on targets with scalable vectors, their 128-bit part).
#if HWY_HAVE_SCALABLE
  using D = hn::FixedTag<double, 2>;
#else
  using D = hn::ScalableTag<double>;
#endif
  using V = hn::Vec<D>;

  BlockFactorisation(std::int32_t n, const double* A, double* F)
      : n_(n),
        A_(A),
        F_(F),
        width_(kChains * lanes_),
        slab_(static_cast<std::size_t>(n) * static_cast<std::size_t>(width_)),
        diagonal_(static_cast<std::size_t>(width_)) {}

  // The block of rows j0 .. j0 + rows - 1, once every row below it is final.
  void Run(std::ptrdiff_t j0, std::ptrdiff_t rows) {
    j0_ = j0;
    Load(rows);
    std::ptrdiff_t i = n_ - 1;
    for (; i - 1 >= j0 + rows; i -= 2) EntriesBelowBlock(i);
    if (i >= j0 + rows) EntryBelowBlock(i);
    for (std::ptrdiff_t lane = rows - 1; lane >= 0; --lane) EntryInBlock(lane);
    Store(rows);
  }

 private:
  double* Column(std::ptrdiff_t k) { return slab_.data() + (k - j0_) * width_; }

  // Column k of the block holds each row's entry k: A's value until it is
  // computed. Lanes past the block's rows, and entries left of a row's
  // diagonal, hold +0.0 and are never stored.
  void Load(std::ptrdiff_t rows) {
    std::fill(slab_.begin(), slab_.begin() + (n_ - j0_) * width_, 0.0);
    std::fill(diagonal_.begin(), diagonal_.end(), 0.0);
    for (std::ptrdiff_t lane = 0; lane < rows; ++lane) {
      const std::ptrdiff_t j = j0_ + lane;
      diagonal_[static_cast<std::size_t>(lane)] = A_[j * n_ + j];
      for (std::ptrdiff_t i = j + 1; i < n_; ++i) Column(i)[lane] = A_[j * n_ + i];
    }
  }

  // acc[c] -= factor(k) * column k, for k = last .. first + 1, descending.
  template <class Factor>
  void Subtract(V (&acc)[kChains], std::ptrdiff_t last, std::ptrdiff_t first, Factor factor) {
    for (std::ptrdiff_t k = last; k > first; --k) {
      const V f = hn::Set(d_, factor(k));
      const double* column = Column(k);
#pragma GCC unroll 8
      for (int c = 0; c < kChains; ++c) {
        const V product = hn::Mul(f, hn::LoadU(d_, column + c * lanes_));
        acc[c] = hn::Sub(acc[c], product);
      }
    }
  }

  // A nonzero sum is divided by the diagonal of row i.
  V Divide(V sum, V diagonal) const {
    return hn::IfThenElse(hn::Ne(sum, hn::Zero(d_)), hn::Div(sum, diagonal), sum);
  }

  // Entry i (a final row below the block) of every row of the block.
  void EntryBelowBlock(std::ptrdiff_t i) {
    const double* rowI = F_ + i * n_;
    V acc[kChains];
    double* column = Column(i);
#pragma GCC unroll 8
    for (int c = 0; c < kChains; ++c) acc[c] = hn::LoadU(d_, column + c * lanes_);
    Subtract(acc, n_ - 1, i, [rowI](std::ptrdiff_t k) { return rowI[k]; });
    const V diagonal = hn::Set(d_, rowI[i]);
#pragma GCC unroll 8
    for (int c = 0; c < kChains; ++c) Record(c, Divide(acc[c], diagonal), column);
  }

  // Chain c's lanes of an entry: into its column, and its square off the
  // rows' diagonal sums.
  void Record(int c, V entry, double* column) {
    hn::StoreU(entry, d_, column + c * lanes_);
    double* sum = diagonal_.data() + c * lanes_;
    const V square = hn::Mul(entry, entry);
    hn::StoreU(hn::Sub(hn::LoadU(d_, sum), square), d_, sum);
  }

  // Entries i and i - 1 (final rows below the block) of every row of the
  // block, in one pass over the block's columns: both chains run over
  // columns n - 1 .. i + 1, then entry i is complete and entry i - 1 takes
  // its last step, column i. Each chain keeps its order.
  void EntriesBelowBlock(std::ptrdiff_t i) {
    const double* rowI = F_ + i * n_;
    const double* rowBefore = rowI - n_;
    double* column = Column(i);
    double* columnBefore = Column(i - 1);
    V acc[kChains], accBefore[kChains];
#pragma GCC unroll 8
    for (int c = 0; c < kChains; ++c) {
      acc[c] = hn::LoadU(d_, column + c * lanes_);
      accBefore[c] = hn::LoadU(d_, columnBefore + c * lanes_);
    }
    for (std::ptrdiff_t k = n_ - 1; k > i; --k) {
      const V f = hn::Set(d_, rowI[k]), fBefore = hn::Set(d_, rowBefore[k]);
      const double* columnK = Column(k);
#pragma GCC unroll 8
      for (int c = 0; c < kChains; ++c) {
        const V x = hn::LoadU(d_, columnK + c * lanes_);
        acc[c] = hn::Sub(acc[c], hn::Mul(f, x));
        accBefore[c] = hn::Sub(accBefore[c], hn::Mul(fBefore, x));
      }
    }
    const V diagonal = hn::Set(d_, rowI[i]), diagonalBefore = hn::Set(d_, rowBefore[i - 1]);
    const V fLast = hn::Set(d_, rowBefore[i]);
#pragma GCC unroll 8
    for (int c = 0; c < kChains; ++c) {
      const V entry = Divide(acc[c], diagonal);
      Record(c, entry, column);
      Record(c, Divide(hn::Sub(accBefore[c], hn::Mul(fLast, entry)), diagonalBefore), columnBefore);
    }
  }

  // Row i = j0 + lane of the block has all its entries: its diagonal, then
  // entry i of the block's rows above it (lanes 0 .. lane - 1).
  void EntryInBlock(std::ptrdiff_t lane) {
    const std::ptrdiff_t i = j0_ + lane;
    double* column = Column(i);
    const double diagonalI = std::sqrt(diagonal_[static_cast<std::size_t>(lane)]);
    column[lane] = diagonalI;
    if (lane == 0) return;
    V acc[kChains];
#pragma GCC unroll 8
    for (int c = 0; c < kChains; ++c) acc[c] = hn::LoadU(d_, column + c * lanes_);
    Subtract(acc, n_ - 1, i, [this, lane](std::ptrdiff_t k) { return Column(k)[lane]; });
    const V diagonal = hn::Set(d_, diagonalI);
#pragma GCC unroll 8
    for (int c = 0; c < kChains; ++c) {
      const auto above =
          hn::FirstN(d_, static_cast<std::size_t>(std::clamp<std::ptrdiff_t>(lane - c * lanes_, 0, lanes_)));
      const V entry = Divide(acc[c], diagonal);
      hn::StoreU(hn::IfThenElse(above, entry, hn::LoadU(d_, column + c * lanes_)), d_, column + c * lanes_);
      double* sum = diagonal_.data() + c * lanes_;
      const V square = hn::Mul(entry, entry);
      const V old = hn::LoadU(d_, sum);
      hn::StoreU(hn::IfThenElse(above, hn::Sub(old, square), old), d_, sum);
    }
  }

  // The block's rows into F, and +0.0 below their diagonals.
  void Store(std::ptrdiff_t rows) {
    for (std::ptrdiff_t lane = 0; lane < rows; ++lane) {
      const std::ptrdiff_t j = j0_ + lane;
      for (std::ptrdiff_t i = j; i < n_; ++i) F_[j * n_ + i] = Column(i)[lane];
      for (std::ptrdiff_t i = j + 1; i < n_; ++i) F_[i * n_ + j] = +0.0;
    }
  }

  const D d_;
  const std::ptrdiff_t n_;
  const double* const A_;
  double* const F_;
  static constexpr std::ptrdiff_t lanes_ = static_cast<std::ptrdiff_t>(hn::MaxLanes(D()));
  const std::ptrdiff_t width_;
  std::vector<double> slab_;
  std::vector<double> diagonal_;  // running sums, then the block rows' diagonals
  std::ptrdiff_t j0_ = 0;
};

void FactorCorrelationVector(std::int32_t n, const double* A, double* F) {
  BlockFactorisation factorisation(n, A, F);
  const std::ptrdiff_t width = kChains * static_cast<std::ptrdiff_t>(hn::MaxLanes(BlockFactorisation::D()));
  for (std::ptrdiff_t end = n; end > 0; end -= width) {
    const std::ptrdiff_t j0 = std::max<std::ptrdiff_t>(end - width, 0);
    factorisation.Run(j0, end - j0);
  }
}

}  // namespace HWY_NAMESPACE
}  // namespace creditsim
HWY_AFTER_NAMESPACE();

#if HWY_ONCE
namespace creditsim {

HWY_EXPORT(FactorCorrelationVector);

void FactorCorrelation(std::int32_t n, const double* A, double* F) {
  if (n <= 0) return;
  HWY_DYNAMIC_DISPATCH(FactorCorrelationVector)(n, A, F);
}

}  // namespace creditsim
#endif  // HWY_ONCE

#else  // no Highway: the row-at-a-time factor gives the same bits

namespace creditsim {

void FactorCorrelation(std::int32_t n, const double* A, double* F) { FactorCorrelationScalar(n, A, F); }

}  // namespace creditsim

#endif
