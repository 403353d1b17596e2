// The per-asset arithmetic of a scenario, for all assets at once.
//
// Every asset is priced as if its issuer had not defaulted: market-factor
// assets move with their factor, credit assets of inactive issuers give +0.0,
// and credit assets are repriced from their precomputed spread at the
// issuer's new grade. The few assets of defaulted issuers are fixed up
// afterwards, in asset order, because each of them draws a random value.
// The operations per asset are the reference's, in its order, so the
// vector kernel and its scalar twin give the same bits.
//
// The kernel is limited by memory traffic, not arithmetic, so its columns
// are laid out to be read as little as possible per scenario:
// - The precomputed spreads lie in planes indexed by the grade change, not in
//   one row of grades per asset. Most issuers keep their grade, so almost
//   every asset reads the unchanged plane, contiguously, and a scenario
//   touches about one double per asset instead of a cache line.
// - An asset's rule is told by its issuer index: the three spare issuers
//   after the N real ones stand for the two market factors and for inactive
//   issuers, so there is no rule column.
#pragma once

#include <cstddef>
#include <cstdint>

namespace creditsim {

// Spare issuers of the non-credit assets, counted from N.
inline constexpr std::int32_t kSpareMarket1 = 0;
inline constexpr std::int32_t kSpareMarket2 = 1;
inline constexpr std::int32_t kSpareInactive = 2;
inline constexpr std::int32_t kSpareIssuers = 3;

// Grade changes run from -6 to +6: plane kUnchangedPlane + change.
inline constexpr std::int64_t kUnchangedPlane = 6;
inline constexpr std::int64_t kSpreadPlanes = 2 * kUnchangedPlane + 1;

// The per-run columns of the kernel, each padded to a whole number of
// vectors (kRepricingPadding assets; padding assets are inactive). The P&L
// is written for the assets only, so it can go straight to the host's array.
inline constexpr std::size_t kRepricingPadding = 8;

struct RepricingColumns {
  std::size_t count = 0;                // assets
  std::size_t padded = 0;               // count rounded up to kRepricingPadding: columns and planes
  std::int32_t issuerCount = 0;         // N; issuer N + kSpare* marks a non-credit asset
  const std::int32_t* issuer = nullptr;  // issuer position, or a spare issuer
  const double* spreadPlanes = nullptr;  // asset a's spread after a grade change of c at (6 + c) * padded + a
  const double* value = nullptr;
  const double* spread = nullptr;
  const double* duration = nullptr;
};

struct RepricingScenario {
  // Per issuer (N + kSpareIssuers): start of the plane of its grade change,
  // (6 + change) * padded. Spare issuers point at any plane (their assets
  // ignore it), and so may defaulted issuers (their assets are priced again).
  const std::int64_t* planeStart = nullptr;
  double spreadMultiplier = 1;
  double market1Move = 0;
  double market2Move = 0;
};

void RepriceAssets(const RepricingColumns& columns, const RepricingScenario& scenario, double* pnl);
void RepriceAssetsScalar(const RepricingColumns& columns, const RepricingScenario& scenario, double* pnl);

}  // namespace creditsim
