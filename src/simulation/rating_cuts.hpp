// New ratings straight from the correlated shock, without NormalCdf in the
// common case.
//
// An active issuer's new grade is the first k with T(r, k) < NormalCdf(z).
// Only where z falls relative to the shocks at which NormalCdf crosses each
// threshold matters. For every T(r, k) the cut c is found by bisection over
// the doubles: the lowest z with T < NormalCdf(z) above the highest z
// without. NormalCdf is not monotone to the last bit everywhere (rounding,
// and its region changes), so the answer is only trusted outside a guard
// window [lo, hi] around c: below lo the test is false, above hi it is true,
// and inside the window (or for a NaN z, which fails every test) NormalCdf
// is evaluated exactly, as the step-by-step rule does. The window spans
// about a millionth of |c|, far wider than any last-bit wobble of the
// function, and each one is checked when it is built: NormalCdf is evaluated
// at points stepping away from both edges, and a window that fails a check
// is widened (in the end to every z).
//
// Thresholds that fall strictly with the candidate grade (as migration
// tables do) give cuts and windows that fall with it too. For those grades
// the tests that fail form a prefix of the candidates, so the new grade is
// one plus the number of windows z lies below, counted without branches;
// only when z lies inside a window does the general rule run.
#pragma once

#include "simulation/simulation_run.hpp"

namespace creditsim {

class RatingCuts {
 public:
  explicit RatingCuts(const double* migrationThreshold);

  // The same grade as NewRating(thresholds, current, NormalCdf(z)) for a
  // current grade 1 .. 7.
  RatingCode NewRating(RatingCode current, double z) const;

  struct Cut {
    double threshold;
    double lo;  // z < lo: threshold < NormalCdf(z) is false
    double hi;  // z > hi: it is true; in between, evaluate
  };
  const Cut& CutOf(int currentGrade, int candidateGrade) const {
    return cuts_[currentGrade - 1][candidateGrade - 1];
  }
  // Whether the windows of a current grade are finite, disjoint and fall
  // with the candidate grade, so that counting them rates a shock outside.
  bool Falling(int currentGrade) const { return windows_[currentGrade - 1].falling; }

 private:
  // Window edges of one current grade, padded to 8 with a lane that counts
  // neither below nor above.
  struct GradeWindows {
    double lo[8];
    double hi[8];
    bool falling = false;  // lo[k] > hi[k + 1]: windows disjoint and falling with k
  };

  Cut cuts_[kGradeCount][kGradeCount];
  GradeWindows windows_[kGradeCount];
};

// The guard window of one threshold, as above.
RatingCuts::Cut FindCut(double threshold);

}  // namespace creditsim
