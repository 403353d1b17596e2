// Triangular factor of an issuer correlation matrix.
#pragma once

#include <cstdint>

namespace creditsim {

// Cholesky decomposition run from the last index to the first: writes the
// upper triangular U (row reading U[x][y] = F[x*n + y]) with A = U * U^T,
// reading only the diagonal and upper triangle of A. All n*n positions of F
// are written (+0.0 below the diagonal). A and F may be the same array.
// Nothing is read or written for n <= 0.
void FactorCorrelation(std::int32_t n, const double* A, double* F);

// The same factor, one row at a time: the definition the vector version
// (which works on blocks of rows side by side) is tested against.
void FactorCorrelationScalar(std::int32_t n, const double* A, double* F);

}  // namespace creditsim
