// The correlated issuer shocks z = U * e, with U the upper triangular factor.
//
// Each z[i] must be summed exactly like the step-by-step loop: start from
// +0.0 and add the rounded products U[i][j] * e[j] for j = i, i+1, ... N-1 in
// ascending order. A row-by-row dot product is bound by the latency of that
// chain of additions, so the factor is repacked into panels of kPanelRows
// rows stored column by column, and each column j updates a whole panel of
// row sums at once: every row keeps its own order, but 64 of them advance
// together in vector registers.
//
// Within a panel starting at row i0 the columns run from i0, and the
// positions left of the diagonal (j < i) hold +0.0. A row whose sum has not
// started is still +0.0, and +0.0 + (+-0.0) is +0.0, so those padding
// products change nothing (the shocks are always finite).
#pragma once

#include <cstddef>
#include <cstdint>

namespace creditsim {

inline constexpr int kPanelRows = 64;

// Doubles needed by the packed panels of an n x n factor.
std::size_t FactorPanelDoubles(std::int32_t n);

// Packs the rows i, columns j >= i of `factor` (row reading factor[i*n + j]).
void PackFactorPanels(const double* factor, std::int32_t n, double* panels);

// out[v][i] = sum over j >= i of U[i][j] * shocks[v][j], for `count` shock
// vectors at once: each panel is loaded once and applied to every vector
// while it is in cache. Dispatches to the widest vector unit available.
void CorrelateShocks(const double* panels, std::int32_t n, const double* const* shocks, double* const* out,
                     int count);

// Rows first .. last - 1 of the same product (first a multiple of
// kPanelRows, last one too or at least n): the same bits as CorrelateShocks
// gives for those rows. Lets threads share one product, panel by panel.
void CorrelateShockRows(const double* panels, std::int32_t n, std::int32_t first, std::int32_t last,
                        const double* const* shocks, double* const* out, int count);

// Rows i0 .. i0 + kPanelRows - 1 (those below n) of the product for one
// shock vector, from the panel at `panel` (panels + PanelOffset(n, i0)):
// the same bits as CorrelateShocks gives for those rows. Lets several
// threads share one product panel by panel.
void CorrelateShockPanel(const double* panel, std::int32_t n, std::int32_t i0, const double* shocks, double* out);

// The same product, one scalar row sum after another; the definition the
// vector kernel is tested against.
void CorrelateShocksScalar(const double* panels, std::int32_t n, const double* const* shocks, double* const* out,
                           int count);

// Offset of the panel that starts at row i0, in doubles.
std::size_t PanelOffset(std::int32_t n, std::int32_t i0);

}  // namespace creditsim
