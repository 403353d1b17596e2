// spreads.csv: spread curves in basis points, one row per spread class and
// grade, one column per tenor: `class,grade,1y,2y,3y,5y,7y,10y,30y`. The
// tenor grid is the header's; it becomes the rows of the simulation's
// spread table, and an asset's maturity is placed on it by linear
// interpolation between the two grid points around it.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "portfolio/input_problems.hpp"

namespace creditsim::cli {

struct SpreadCurves {
  std::vector<double> tenors;       // years, strictly ascending
  std::vector<double> spreadTable;  // tenor row * 33 + class offset + grade
};

SpreadCurves ReadSpreadCurves(const std::string& path, InputProblems& problems);

// Where a maturity lies on the grid: the two rows around it and the weight
// towards the second, (maturity - t[low]) / (t[high] - t[low]). On a grid
// point both rows are that point and the weight is 0.
struct TenorPosition {
  std::int16_t low = 0;
  std::int16_t high = 0;
  double weight = 0;
};
// Nothing when the maturity lies outside [first tenor, last tenor].
std::optional<TenorPosition> LocateMaturity(const std::vector<double>& tenors, double maturity);

}  // namespace creditsim::cli
