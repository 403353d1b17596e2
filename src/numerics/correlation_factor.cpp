// Reverse-order Cholesky factorisation, in place in the output.
//
// The order of every subtraction is fixed (from the highest index down, the
// diagonal taking each entry of its row as soon as that entry is final), so
// the factor is the same to the last bit on every machine. Each input
// position is read before the output position with the same number is
// written, which is what makes A and F aliasing safe.
#include "numerics/correlation_factor.hpp"

#include <cmath>
#include <cstddef>

namespace creditsim {

void FactorCorrelationScalar(std::int32_t n, const double* A, double* F) {
  if (n <= 0) return;
  const std::ptrdiff_t size = n;
  for (std::ptrdiff_t j = size - 1; j >= 0; --j) {
    double* row = F + j * size;
    row[j] = A[j * size + j];
    for (std::ptrdiff_t i = size - 1; i > j; --i) {
      row[i] = A[j * size + i];
      F[i * size + j] = +0.0;
      const double* rowI = F + i * size;
      for (std::ptrdiff_t k = size - 1; k > i; --k) {
        const double product = rowI[k] * row[k];
        row[i] = row[i] - product;
      }
      if (row[i] != 0) row[i] = row[i] / rowI[i];
      const double square = row[i] * row[i];
      row[j] = row[j] - square;
    }
    row[j] = std::sqrt(row[j]);
  }
}

}  // namespace creditsim
