// The per-asset arithmetic of a scenario, for all assets at once.
//
// Every asset is priced as if its issuer had not defaulted: market-factor
// assets move with their factor, credit assets of inactive issuers give +0.0,
// and credit assets are repriced from their precomputed spread at the
// issuer's new grade. The few assets of defaulted issuers are fixed up
// afterwards, in asset order, because each of them draws a random value.
// The operations per asset are the reference's, in its order, so the
// vector kernel and its scalar twin give the same bits.
#pragma once

#include <cstddef>
#include <cstdint>

namespace creditsim {

// Asset rules as doubles, so the vector kernel compares them in the same
// registers as the values.
inline constexpr double kRuleCredit = 0;
inline constexpr double kRuleMarket1 = 1;
inline constexpr double kRuleMarket2 = 2;
inline constexpr double kRuleInactive = 3;

// The per-run columns of the kernel, each padded to a whole number of
// vectors (kRepricingPadding assets; padding assets are inactive).
inline constexpr std::size_t kRepricingPadding = 8;

struct RepricingColumns {
  std::size_t count = 0;               // assets, padded
  const double* rule = nullptr;        // kRule*
  const std::int64_t* issuer = nullptr;    // issuer position; a spare issuer for non-credit assets
  const double* gradeSpread = nullptr; // row of 8 per asset: grade g at a * 8 + g - 1
  const double* value = nullptr;
  const double* spread = nullptr;
  const double* duration = nullptr;
};

struct RepricingScenario {
  const std::int64_t* gradeSlot = nullptr;  // per issuer: new grade - 1 (default: 7)
  double spreadMultiplier = 1;
  double market1Move = 0;
  double market2Move = 0;
};

void RepriceAssets(const RepricingColumns& columns, const RepricingScenario& scenario, double* pnl);
void RepriceAssetsScalar(const RepricingColumns& columns, const RepricingScenario& scenario, double* pnl);

}  // namespace creditsim
