// Panel layout of the factor and the scalar twin of the vector kernel.
#include "simulation/shock_correlation.hpp"

#include <algorithm>

namespace creditsim {

std::size_t PanelOffset(std::int32_t n, std::int32_t i0) {
  // Panels b = 0 .. i0/kPanelRows - 1 hold kPanelRows * (n - b*kPanelRows) doubles each.
  std::size_t offset = 0;
  for (std::int32_t start = 0; start < i0; start += kPanelRows) {
    offset += static_cast<std::size_t>(kPanelRows) * static_cast<std::size_t>(n - start);
  }
  return offset;
}

std::size_t FactorPanelDoubles(std::int32_t n) { return PanelOffset(n, (n + kPanelRows - 1) / kPanelRows * kPanelRows); }

void PackFactorPanels(const double* factor, std::int32_t n, double* panels) {
  double* out = panels;
  for (std::int32_t i0 = 0; i0 < n; i0 += kPanelRows) {
    for (std::int32_t j = i0; j < n; ++j) {
      for (int r = 0; r < kPanelRows; ++r) {
        const std::int32_t i = i0 + r;
        const bool inTriangle = i < n && i <= j;
        *out++ = inTriangle ? factor[static_cast<std::ptrdiff_t>(i) * n + j] : 0.0;
      }
    }
  }
}

void CorrelateShocksScalar(const double* panels, std::int32_t n, const double* const* shocks, double* const* out,
                           int count) {
  for (int v = 0; v < count; ++v) {
    const double* panel = panels;
    for (std::int32_t i0 = 0; i0 < n; i0 += kPanelRows) {
      const int rows = std::min(kPanelRows, n - i0);
      for (int r = 0; r < rows; ++r) {
        double z = 0;
        for (std::int32_t j = i0; j < n; ++j) {
          const double product = panel[static_cast<std::size_t>(j - i0) * kPanelRows + r] * shocks[v][j];
          z = z + product;
        }
        out[v][i0 + r] = z;
      }
      panel += static_cast<std::size_t>(kPanelRows) * static_cast<std::size_t>(n - i0);
    }
  }
}

}  // namespace creditsim
