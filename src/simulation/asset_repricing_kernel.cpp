// The scalar twin of the repricing kernel: the definition the vector kernel
// is tested against.
#include "simulation/asset_repricing_kernel.hpp"

#include "simulation/revalue_assets.hpp"

namespace creditsim {

void RepriceAssetsScalar(const RepricingColumns& c, const RepricingScenario& s, double* pnl) {
  const std::int32_t N = c.issuerCount;
  for (std::size_t a = 0; a < c.count; ++a) {
    const std::int32_t issuer = c.issuer[a];
    if (issuer == N + kSpareMarket1) {
      pnl[a] = c.value[a] * s.market1Move;
    } else if (issuer == N + kSpareMarket2) {
      pnl[a] = c.value[a] * s.market2Move;
    } else if (issuer == N + kSpareInactive) {
      pnl[a] = 0;
    } else {
      const double base = c.spreadPlanes[s.planeStart[issuer] + static_cast<std::int64_t>(a)];
      pnl[a] = RepricingPnl(base * s.spreadMultiplier, c.spread[a], c.duration[a], c.value[a]);
    }
  }
}

}  // namespace creditsim
