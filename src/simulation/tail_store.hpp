// Last stage of a scenario: the K worst scenarios with their detail, and
// every asset's K lowest rest-of-portfolio values, kept in the host's arrays.
#pragma once

#include <cstdint>

#include "simulation/simulation_run.hpp"

namespace creditsim {

// Where bounded insertion would put v into the K slots x[0..K-1]: scanning
// down from the top, the index of the lowest slot reached before a value
// strictly below v; K when v is greater than x[K-1]. Equal values and NaN
// on either side do not stop the scan, so v goes in front of its equals.
// `stride` is the distance between consecutive slots.
int TailInsertPosition(double v, const double* x, int K, std::ptrdiff_t stride = 1);

// Whether the slots x[0], x[stride], ... x[(K-1)*stride] are ascending and
// free of NaN: the lists on which bounded insertion is a stable sorted insert.
bool TailIsAscendingWithoutNaN(const double* x, int K, std::ptrdiff_t stride = 1);

// Bounded insertion of v into the slots x[0], x[stride], ... x[(K-1)*stride].
void InsertIntoTail(double v, double* x, int K, std::ptrdiff_t stride = 1);

// Merges scenario s (its P&L, assetPnl, issuerNewRating and multiplier) into
// the main store and, in a loss scenario, into the rest-of-portfolio store.
void UpdateTailStore(const SimulationRun& run, std::int32_t s, double spreadMultiplier);

}  // namespace creditsim
