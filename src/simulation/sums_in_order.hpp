// Sums that must keep their order: each total starts from +0.0 and adds its
// values in ascending index order, one rounding per addition. Such a chain
// runs at the adder's latency, one addition every few cycles; when several
// independent chains exist (the scenarios of shards run side by side), they
// are interleaved so that the adder works on all of them at once. No chain
// is reordered or split.
#pragma once

#include <cstdint>

namespace creditsim {

// The total of values[0 .. length-1], added in ascending order from +0.0.
double SumInOrder(const double* values, std::int32_t length);

// totals[r] = SumInOrder(rows[r], length) for r < count, with the chains of
// up to four rows interleaved.
void SumsInOrder(const double* const* rows, int count, std::int32_t length, double* totals);

}  // namespace creditsim
