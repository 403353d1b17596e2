// Who contributes to the tail: per asset, its share of expected shortfall
// and its marginal VaR, from the tail store a run leaves behind.
//
// ES contribution at level a: minus the average of the asset's P&L over the
// m worst scenarios (m as in risk_measures.hpp). The worst scenarios' asset
// P&Ls add up to their portfolio P&L, so the contributions add up to the
// portfolio ES (to rounding).
// Marginal VaR: portfolio VaR minus the VaR of the portfolio without the
// asset, where the latter is minus the m-th lowest "scenario P&L less the
// asset's P&L". The store keeps those values for loss scenarios only; a
// scenario without a portfolio loss could only rank among them if the
// asset alone gained more than the m-th worst rest-of-portfolio loss.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace creditsim::cli {

// The tail arrays of a run, K slots, M assets; unfilled slots hold +inf.
struct TailView {
  std::int32_t slots = 0;   // K
  std::int32_t assets = 0;  // M
  std::span<const double> tailPnl;       // K
  std::span<const double> tailAssetPnl;  // K x M, slot-major
  std::span<const double> tailRestPnl;   // K x M, slot-major
};

// Slots the run filled (the tail starts as +inf and fills from the front).
std::int32_t FilledSlots(std::span<const double> tailPnl);

struct LevelContributions {
  int levelBasisPoints = 0;
  std::int64_t tailCount = 0;  // m
  bool available = false;      // m <= filled slots; otherwise the tail is too small
  std::vector<double> expectedShortfall;          // per asset, when available
  double expectedShortfallTotal = 0;              // their sum
  std::vector<std::optional<double>> marginalVar;  // per asset; empty when that column is short
};

LevelContributions ComputeContributions(const TailView& tail, std::int64_t scenarios, int levelBasisPoints,
                                        double portfolioVar);

}  // namespace creditsim::cli
