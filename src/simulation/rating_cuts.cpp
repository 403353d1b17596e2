// Bisection over doubles by their order-preserving integer keys, and the
// checks that back each guard window.
#include "simulation/rating_cuts.hpp"

#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>

#include "numerics/normal_distribution.hpp"

namespace creditsim {
namespace {

constexpr double kInfinity = std::numeric_limits<double>::infinity();

// Doubles (not NaN) in ascending order map to ascending integers.
std::int64_t OrderKey(double x) {
  std::int64_t bits;
  std::memcpy(&bits, &x, sizeof bits);
  return bits >= 0 ? bits : -(bits & std::numeric_limits<std::int64_t>::max());
}

double FromOrderKey(std::int64_t key) {
  const std::int64_t bits = key >= 0 ? key : (-key) | std::numeric_limits<std::int64_t>::min();
  double x;
  std::memcpy(&x, &bits, sizeof x);
  return x;
}

bool Exceeds(double threshold, double z) { return threshold < NormalCdf(z); }

// The lowest z at which the test holds above a z where it fails, given that
// it fails at -infinity and holds at +infinity.
double Bisect(double threshold) {
  std::int64_t fails = OrderKey(-kInfinity), holds = OrderKey(kInfinity);
  // The keys of the two infinities lie more than INT64_MAX apart: measure the
  // gap unsigned.
  auto gap = [&] { return static_cast<std::uint64_t>(holds) - static_cast<std::uint64_t>(fails); };
  while (gap() > 1) {
    const std::int64_t mid = fails + static_cast<std::int64_t>(gap() / 2);
    if (Exceeds(threshold, FromOrderKey(mid))) {
      holds = mid;
    } else {
      fails = mid;
    }
  }
  return FromOrderKey(holds);
}

// The test must fail at every point checked below lo and hold at every point
// above hi: the 64 doubles next to each edge, then steps that grow sixteen
// times each out to 64 beyond the window, then the infinities. Beyond about
// 39 in either direction NormalCdf is constant (0 below, 1.0 above), so the
// infinities stand for everything further out.
bool WindowHolds(double threshold, double lo, double hi, double width) {
  double below = lo, above = hi;
  for (int i = 0; i < 64; ++i) {
    below = std::nextafter(below, -kInfinity);
    above = std::nextafter(above, kInfinity);
    if (Exceeds(threshold, below) || !Exceeds(threshold, above)) return false;
  }
  for (double step = width; step < 64; step *= 16) {
    if (Exceeds(threshold, lo - step) || !Exceeds(threshold, hi + step)) return false;
  }
  return !Exceeds(threshold, -kInfinity) && Exceeds(threshold, kInfinity);
}

}  // namespace

RatingCuts::Cut FindCut(double threshold) {
  if (Exceeds(threshold, -kInfinity)) return {threshold, -kInfinity, -kInfinity};  // holds for every number
  if (!Exceeds(threshold, kInfinity)) return {threshold, kInfinity, kInfinity};    // holds for none
  const double cut = Bisect(threshold);
  double width = std::ldexp(std::fmax(std::fabs(cut), 0x1p-10), -20);
  for (int attempt = 0; attempt < 6; ++attempt, width *= 64) {
    const double lo = cut - width, hi = cut + width;
    if (WindowHolds(threshold, lo, hi, width)) return {threshold, lo, hi};
  }
  return {threshold, -kInfinity, kInfinity};  // no window could be trusted: always evaluate
}

RatingCuts::RatingCuts(const double* migrationThreshold) {
  for (int r = 1; r <= kGradeCount; ++r) {
    GradeWindows& w = windows_[r - 1];
    for (int k = 1; k <= kGradeCount; ++k) {
      const Cut cut = FindCut(MigrationThreshold(migrationThreshold, r, k));
      cuts_[r - 1][k - 1] = cut;
      w.lo[k - 1] = cut.lo;
      w.hi[k - 1] = cut.hi;
    }
    w.lo[kGradeCount] = -kInfinity;  // z < -infinity never holds
    w.hi[kGradeCount] = kInfinity;   // z > +infinity never holds
    w.falling = true;
    for (int k = 0; k < kGradeCount; ++k) {
      const bool finite = std::isfinite(w.lo[k]) && std::isfinite(w.hi[k]);
      if (!finite || (k + 1 < kGradeCount && !(w.lo[k] > w.hi[k + 1]))) w.falling = false;
    }
  }
}

RatingCode RatingCuts::NewRating(RatingCode current, double z) const {
  const GradeWindows& w = windows_[current - 1];
  if (w.falling) {
    // Most issuers keep their grade: below the window of every better grade
    // and above the window of their own.
    const int stay = current - 1;
    if (z > w.hi[stay] && (stay == 0 || z < w.lo[stay - 1])) return current;
    int below = 0, above = 0;
    for (int k = 0; k < 8; ++k) {
      below += z < w.lo[k];
      above += z > w.hi[k];
    }
    if (below + above == kGradeCount) return below == kGradeCount ? kDefault : static_cast<RatingCode>(below + 1);
  }
  // General rule: candidates in order, NormalCdf once z lies inside a window
  // (a NaN z lies inside none and fails every test, as it does exactly).
  const Cut* cuts = cuts_[current - 1];
  double percentile = 0;
  bool evaluated = false;
  for (int k = 0; k < kGradeCount; ++k) {
    const Cut& cut = cuts[k];
    if (z > cut.hi) return static_cast<RatingCode>(k + 1);
    if (z >= cut.lo) {
      if (!evaluated) {
        percentile = NormalCdf(z);
        evaluated = true;
      }
      if (cut.threshold < percentile) return static_cast<RatingCode>(k + 1);
    }
  }
  return kDefault;
}

}  // namespace creditsim
