// assets.csv: one position per row,
// `id,issuer,kind,face,value,spread,duration,maturity` with the tenor given
// by a maturity in years, or by `tenor_low,tenor_high,tenor_weight` (0-based
// rows of the tenor grid and the weight towards the second) instead.
// Market-factor positions (kind market1 or market2) need only id, kind and
// value.
#pragma once

#include <string>
#include <vector>

#include "portfolio/input_problems.hpp"
#include "portfolio/issuer_table.hpp"
#include "portfolio/portfolio.hpp"

namespace creditsim::cli {

std::vector<Asset> ReadAssetTable(const std::string& path, const IssuerIndex& issuers,
                                  const std::vector<double>& tenors, InputProblems& problems);

}  // namespace creditsim::cli
