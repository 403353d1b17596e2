// The scalar twin of the repricing kernel: the definition the vector kernel
// is tested against.
#include "simulation/asset_repricing_kernel.hpp"

#include "simulation/revalue_assets.hpp"

namespace creditsim {

void RepriceAssetsScalar(const RepricingColumns& c, const RepricingScenario& s, double* pnl) {
  for (std::size_t a = 0; a < c.count; ++a) {
    const double rule = c.rule[a];
    if (rule == kRuleMarket1) {
      pnl[a] = c.value[a] * s.market1Move;
    } else if (rule == kRuleMarket2) {
      pnl[a] = c.value[a] * s.market2Move;
    } else if (rule == kRuleInactive) {
      pnl[a] = 0;
    } else {
      const double base = c.gradeSpread[static_cast<std::int64_t>(a) * 8 + s.gradeSlot[c.issuer[a]]];
      pnl[a] = RepricingPnl(base * s.spreadMultiplier, c.spread[a], c.duration[a], c.value[a]);
    }
  }
}

}  // namespace creditsim
