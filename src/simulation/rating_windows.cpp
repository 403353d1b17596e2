// Building the window planes, the scalar count and the exact fallback.
#include "simulation/rating_windows.hpp"

#include <limits>

namespace creditsim {
namespace {

constexpr double kInfinity = std::numeric_limits<double>::infinity();

double* Plane(double* planes, std::int32_t n, int p) { return planes + static_cast<std::ptrdiff_t>(p) * n; }
const double* Plane(const double* planes, std::int32_t n, int p) {
  return planes + static_cast<std::ptrdiff_t>(p) * n;
}

}  // namespace

void BuildRatingWindows(const RatingCuts& cuts, const RatingCode* rating, std::int32_t n, double* planes) {
  for (std::int32_t i = 0; i < n; ++i) {
    const RatingCode r = rating[i];
    const bool counted = r >= 1 && r <= kGradeCount && cuts.Falling(r);
    for (int k = 0; k < kGradeCount; ++k) {
      // -infinity .. +infinity holds every shock: the issuer is listed.
      Plane(planes, n, k)[i] = counted ? cuts.CutOf(r, k + 1).lo : -kInfinity;
      Plane(planes, n, kGradeCount + k)[i] = counted ? cuts.CutOf(r, k + 1).hi : kInfinity;
    }
  }
}

std::int32_t RateByWindowsScalar(const double* planes, std::int32_t n, const double* z, RatingCode* out,
                                 std::int32_t* exact) {
  std::int32_t listed = 0;
  for (std::int32_t i = 0; i < n; ++i) {
    int below = 0, above = 0;
    for (int k = 0; k < kGradeCount; ++k) {
      below += z[i] < Plane(planes, n, k)[i];
      above += z[i] > Plane(planes, n, kGradeCount + k)[i];
    }
    if (below + above == kGradeCount) {
      out[i] = static_cast<RatingCode>(below + 1);  // below all seven windows: kDefault
    } else {
      exact[listed++] = i;
    }
  }
  return listed;
}

void NewRatings(const RatingCuts& cuts, const double* planes, const RatingCode* rating, std::int32_t n,
                const double* z, RatingCode* out, std::int32_t* exact) {
  const std::int32_t listed = RateByWindows(planes, n, z, out, exact);
  for (std::int32_t k = 0; k < listed; ++k) {
    const std::int32_t i = exact[k];
    out[i] = rating[i] == kInactive ? kInactive : cuts.NewRating(rating[i], z[i]);
  }
}

}  // namespace creditsim
