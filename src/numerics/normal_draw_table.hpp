// NormalDraw of a 15-bit generator value, looked up instead of computed.
//
// A normal draw is InverseNormal of one of only 32768 clamped uniforms, so a
// table filled once with the exact function returns the very same doubles as
// calling it, for a fraction of the cost. One table per pair of clamp bounds;
// each is built on first use and shared by every thread (256 KiB each).
#pragma once

#include <array>

#include "numerics/random_source.hpp"

namespace creditsim {

class NormalDrawTable {
 public:
  static constexpr int kSize = 32768;

  NormalDrawTable(double lo, double hi);

  // NormalDraw(lo, hi) of the generator value k (0 .. 32767).
  double operator[](int k) const { return values_[static_cast<unsigned>(k)]; }

  // Takes one value from `source`, like NormalDraw.
  double Draw(RandomSource& source) const { return (*this)[source.Next()]; }

 private:
  std::array<double, kSize> values_;
};

// The draws of the issuer shocks (bounds 0.00001 and 0.99999) and of the
// three systematic factors (0.000001 and 0.999999).
const NormalDrawTable& IssuerShockTable();
const NormalDrawTable& SystematicDrawTable();

}  // namespace creditsim
