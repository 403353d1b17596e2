// Fills each table with exactly the computation NormalDraw makes, value by
// value, so a lookup and a call can never disagree.
#include "numerics/normal_draw_table.hpp"

#include "numerics/normal_distribution.hpp"

namespace creditsim {

NormalDrawTable::NormalDrawTable(double lo, double hi) {
  for (int k = 0; k < kSize; ++k) {
    double u = UniformFromValue(k);
    if (u < lo) {
      u = lo;
    } else if (u > hi) {
      u = hi;
    }
    values_[k] = InverseNormal(u);
  }
}

const NormalDrawTable& IssuerShockTable() {
  static const NormalDrawTable table(kIssuerShockLow, kIssuerShockHigh);
  return table;
}

const NormalDrawTable& SystematicDrawTable() {
  static const NormalDrawTable table(kSystematicLow, kSystematicHigh);
  return table;
}

}  // namespace creditsim
