#include "simulation/sums_in_order.hpp"

namespace creditsim {

double SumInOrder(const double* values, std::int32_t length) {
  double total = 0;
  for (std::int32_t i = 0; i < length; ++i) total = total + values[i];
  return total;
}

namespace {

// Named accumulators rather than an array: they must stay in registers, or
// every addition would also wait for a store and a reload.
void FourSums(const double* const* rows, std::int32_t length, double* totals) {
  const double *r0 = rows[0], *r1 = rows[1], *r2 = rows[2], *r3 = rows[3];
  double t0 = 0, t1 = 0, t2 = 0, t3 = 0;
  for (std::int32_t i = 0; i < length; ++i) {
    t0 = t0 + r0[i];
    t1 = t1 + r1[i];
    t2 = t2 + r2[i];
    t3 = t3 + r3[i];
  }
  totals[0] = t0;
  totals[1] = t1;
  totals[2] = t2;
  totals[3] = t3;
}

void TwoSums(const double* const* rows, std::int32_t length, double* totals) {
  const double *r0 = rows[0], *r1 = rows[1];
  double t0 = 0, t1 = 0;
  for (std::int32_t i = 0; i < length; ++i) {
    t0 = t0 + r0[i];
    t1 = t1 + r1[i];
  }
  totals[0] = t0;
  totals[1] = t1;
}

}  // namespace

void SumsInOrder(const double* const* rows, int count, std::int32_t length, double* totals) {
  int r = 0;
  for (; count - r >= 4; r += 4) FourSums(rows + r, length, totals + r);
  for (; count - r >= 2; r += 2) TwoSums(rows + r, length, totals + r);
  if (r < count) totals[r] = SumInOrder(rows[r], length);
}

}  // namespace creditsim
