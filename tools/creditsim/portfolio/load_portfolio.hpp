// Reads a whole portfolio directory: portfolio.toml, then the tables it
// names, checking each against the others (issuer ids, sectors, tenor grid).
// All problems of all files are collected and reported together.
#pragma once

#include <string>

#include "portfolio/portfolio.hpp"

namespace creditsim::cli {

// Throws CliError (exit status 2) listing every problem as file:line: what.
Portfolio LoadPortfolio(const std::string& directory);

}  // namespace creditsim::cli
