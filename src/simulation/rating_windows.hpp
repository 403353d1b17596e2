// New grades for many issuers at once, from the guard windows of RatingCuts.
//
// Each active issuer's windows (those of its current grade) are laid out
// plane by plane: plane k holds every issuer's lower edge for candidate
// grade k + 1, plane 7 + k the upper edge (k = 0 .. 6). An issuer of a grade whose
// windows fall with the candidate and whose shock lies outside all of them
// gets one plus the number of windows above its shock, with no branch and
// no NormalCdf; the vector pass does that for a row of issuers at a time.
// Every other issuer (shock inside a window, NaN, a grade whose windows do
// not fall, an inactive issuer) is listed for RatingCuts::NewRating, whose
// answer is the exact rule's.
#pragma once

#include <cstddef>
#include <cstdint>

#include "simulation/rating_cuts.hpp"
#include "simulation/simulation_run.hpp"

namespace creditsim {

inline constexpr int kWindowPlanes = 2 * kGradeCount;

// Doubles of the planes for n issuers.
inline std::size_t RatingWindowDoubles(std::int32_t n) {
  return static_cast<std::size_t>(kWindowPlanes) * static_cast<std::size_t>(n);
}

// Fills the planes for issuers of grades `rating` (n of them). Issuers that
// the count cannot rate get windows that hold every shock, so that they are
// always listed.
void BuildRatingWindows(const RatingCuts& cuts, const RatingCode* rating, std::int32_t n, double* planes);

// Writes the new grade of every issuer the count can rate into `out` and
// lists the others, ascending, in `exact`; returns how many are listed.
// `out` of a listed issuer may be overwritten with any value.
std::int32_t RateByWindows(const double* planes, std::int32_t n, const double* z, RatingCode* out,
                           std::int32_t* exact);
std::int32_t RateByWindowsScalar(const double* planes, std::int32_t n, const double* z, RatingCode* out,
                                 std::int32_t* exact);

// The new grades of all issuers: the count where it can, NewRating for the
// listed ones; inactive issuers keep kInactive. `exact` holds n values.
void NewRatings(const RatingCuts& cuts, const double* planes, const RatingCode* rating, std::int32_t n,
                const double* z, RatingCode* out, std::int32_t* exact);

}  // namespace creditsim
