// The first pass of a loss scenario's rest-of-portfolio merge, for all
// assets at once: every rest-of-portfolio value L - pnl[a] is written, and
// the assets whose value does not lie strictly above their column's top slot
// (those that must be inserted, NaN included) are listed in ascending order.
// Once the tails have filled, few assets are listed, and the insertions that
// follow touch only those.
#pragma once

#include <cstdint>

namespace creditsim {

// Returns the number of assets written to `candidates`.
std::int32_t FindRestOfPortfolioCandidates(double L, const double* pnl, const double* top, std::int32_t M,
                                           double* rest, std::int32_t* candidates);
std::int32_t FindRestOfPortfolioCandidatesScalar(double L, const double* pnl, const double* top, std::int32_t M,
                                                 double* rest, std::int32_t* candidates);

}  // namespace creditsim
