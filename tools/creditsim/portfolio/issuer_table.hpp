// issuers.csv: one issuer per row, `id,rating[,sector]`.
#pragma once

#include <cstdint>
#include <string>
#include <unordered_map>
#include <vector>

#include "portfolio/input_problems.hpp"
#include "portfolio/portfolio.hpp"

namespace creditsim::cli {

using IssuerIndex = std::unordered_map<std::string, std::int16_t>;

// Reads the issuers in file order; `index` maps each id to its position.
std::vector<Issuer> ReadIssuerTable(const std::string& path, IssuerIndex& index, InputProblems& problems);

}  // namespace creditsim::cli
