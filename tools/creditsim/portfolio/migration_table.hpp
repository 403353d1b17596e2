// The migration input: a one-year transition matrix (7 current grades by
// 7 grades and default) turned into the threshold table the simulation
// reads, or the thresholds themselves.
//
// T(r, k) is the probability of ending worse than grade k. It is summed
// from the worst outcome upwards, one rounded addition at a time:
//   T(r, 7) = p(r, D),  T(r, k) = T(r, k + 1) + p(r, k + 1)  for k = 6 ... 1,
// so every threshold is a partial sum of the same sequence and the column
// is non-increasing whenever the probabilities are non-negative.
#pragma once

#include <array>
#include <string>
#include <vector>

#include "portfolio/input_problems.hpp"
#include "portfolio/portfolio.hpp"

namespace creditsim::cli {

using TransitionRow = std::array<double, kTransitionColumns>;  // grades 1..7, default; probabilities

// Thresholds at flat position (k - 1) * 7 + (r - 1) from the 7 rows.
std::array<double, 49> ThresholdsFromTransition(const std::vector<TransitionRow>& rows);

// transition.csv: `from,AAA,AA,A,BBB,BB,B,CCC,D`, one row per current grade
// (in percent or probability). Rows must be non-negative and sum to 1
// within `tolerance`. Returns the 7 rows in probabilities, grade order.
std::vector<TransitionRow> ReadTransitionMatrix(const std::string& path, bool inPercent, double tolerance,
                                                InputProblems& problems);

// thresholds.csv: `from,AAA,AA,A,BBB,BB,B,CCC`, T(from, column) in [0, 1].
std::array<double, 49> ReadThresholdTable(const std::string& path, InputProblems& problems);

}  // namespace creditsim::cli
