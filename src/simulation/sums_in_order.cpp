#include "simulation/sums_in_order.hpp"

namespace creditsim {

double SumInOrder(const double* values, std::int32_t length) {
  double total = 0;
  for (std::int32_t i = 0; i < length; ++i) total = total + values[i];
  return total;
}

namespace {

template <int kRows>
void InterleavedSums(const double* const* rows, std::int32_t length, double* totals) {
  double t[kRows] = {};
  for (std::int32_t i = 0; i < length; ++i) {
    for (int r = 0; r < kRows; ++r) t[r] = t[r] + rows[r][i];
  }
  for (int r = 0; r < kRows; ++r) totals[r] = t[r];
}

}  // namespace

void SumsInOrder(const double* const* rows, int count, std::int32_t length, double* totals) {
  for (int r = 0; r < count;) {
    switch (count - r) {
      case 1: totals[r] = SumInOrder(rows[r], length); r += 1; break;
      case 2: InterleavedSums<2>(rows + r, length, totals + r); r += 2; break;
      case 3: InterleavedSums<3>(rows + r, length, totals + r); r += 3; break;
      default: InterleavedSums<4>(rows + r, length, totals + r); r += 4; break;
    }
  }
}

}  // namespace creditsim
