// The issuer correlation matrix, given in full (correlation.csv keyed by
// issuer id) or built from the sector model in portfolio.toml, and the
// positive-definiteness check both must pass before the factorisation.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "portfolio/input_problems.hpp"
#include "portfolio/issuer_table.hpp"
#include "portfolio/portfolio.hpp"
#include "portfolio/settings_file.hpp"

namespace creditsim::cli {

// correlation.csv: header `id,<issuer ids>`, then one row per issuer, in any
// order. Values must lie in [-1, 1], the diagonal be 1 and the matrix be
// symmetric. Returns the N x N matrix in issuer order, row-major.
std::vector<double> ReadCorrelationMatrix(const std::string& path, const std::vector<Issuer>& issuers,
                                          const IssuerIndex& index, InputProblems& problems);

// The sector model expanded to N x N: 1 on the diagonal; for two issuers the
// pair table's entry for their sectors when it has one, else the within- or
// between-sector correlation. Every issuer needs a sector.
std::vector<double> ExpandSectorModel(const SectorCorrelation& model, const std::string& pairsPath,
                                      const std::vector<Issuer>& issuers, const std::string& issuersPath,
                                      InputProblems& problems);

// The first issuer (0-based) at which a Cholesky factorisation of the
// symmetric matrix finds no positive pivot, or nothing when it is positive
// definite.
std::optional<std::size_t> FirstNonPositivePivot(const std::vector<double>& matrix, std::size_t n);

}  // namespace creditsim::cli
