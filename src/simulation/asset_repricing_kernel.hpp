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
// The kernel is limited by memory traffic and its two divisions, so its
// columns are laid out to be read as little as possible per scenario:
// - The precomputed spreads lie in planes indexed by the grade change, not in
//   one row of grades per asset. Most issuers keep their grade, so the kernel
//   reads only the unchanged plane, contiguously, with no gather, and a
//   scenario touches about one double per asset instead of a cache line; the
//   few assets of issuers that changed grade are priced again afterwards.
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
  double spreadMultiplier = 1;
  double market1Move = 0;
  double market2Move = 0;
};

// Prices every credit asset as if its issuer kept its grade (from the
// unchanged plane); the caller prices the assets of issuers that changed
// grade again with RepriceCreditAsset, and those of defaulted ones with
// their recovery.
void RepriceAssets(const RepricingColumns& columns, const RepricingScenario& scenario, double* pnl);
void RepriceAssetsScalar(const RepricingColumns& columns, const RepricingScenario& scenario, double* pnl);

// The P&L of credit asset a after a grade change of `change`: the kernel's
// arithmetic for one lane.
double RepriceCreditAsset(const RepricingColumns& columns, const RepricingScenario& scenario, std::size_t a,
                          std::int64_t change);

}  // namespace creditsim
