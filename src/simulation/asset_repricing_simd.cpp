// The vector repricing kernel, one instruction set per Highway target, chosen
// at run time. Each lane follows the scalar rule: two gathers find the
// asset's spread at its issuer's new grade, the repricing runs as separate
// multiply, subtract and divide instructions (never fused), and the asset's
// rule selects the lane's result.
#include "simulation/asset_repricing_kernel.hpp"

#if defined(CREDITSIM_HAVE_HIGHWAY)

#undef HWY_TARGET_INCLUDE
#define HWY_TARGET_INCLUDE "simulation/asset_repricing_simd.cpp"
#include <hwy/foreach_target.h>  // IWYU pragma: keep
#include <hwy/highway.h>

HWY_BEFORE_NAMESPACE();
namespace creditsim {
namespace HWY_NAMESPACE {
namespace hn = hwy::HWY_NAMESPACE;

void RepriceAssetsVector(const RepricingColumns& c, const RepricingScenario& s, double* pnl) {
  const hn::ScalableTag<double> d;
  const hn::RebindToSigned<decltype(d)> di;
  const std::size_t lanes = hn::Lanes(d);
  const auto multiplier = hn::Set(d, s.spreadMultiplier);
  const auto move1 = hn::Set(d, s.market1Move);
  const auto move2 = hn::Set(d, s.market2Move);
  const auto minusHundred = hn::Set(d, -100.0);
  const auto hundred = hn::Set(d, 100.0);
  const auto zero = hn::Zero(d);
  // Start of each lane's row of grade spreads, a * 8, advanced by addition
  // (building it with Iota every step would go through memory).
  auto row = hn::ShiftLeft<3>(hn::Iota(di, 0));
  const auto rowStep = hn::Set(di, static_cast<std::int64_t>(lanes) * 8);
  for (std::size_t a = 0; a < c.count; a += lanes, row = hn::Add(row, rowStep)) {
    const auto slot = hn::GatherIndex(di, s.gradeSlot, hn::LoadU(di, c.issuer + a));
    const auto index = hn::Add(row, slot);
    const auto base = hn::GatherIndex(d, c.gradeSpread, index);
    const auto value = hn::LoadU(d, c.value + a);
    auto x = hn::Sub(hn::Mul(base, multiplier), hn::LoadU(d, c.spread + a));
    x = hn::Div(x, minusHundred);
    x = hn::Mul(x, hn::LoadU(d, c.duration + a));
    x = hn::Div(x, hundred);
    x = hn::Mul(x, value);
    const auto floor = hn::Neg(value);
    x = hn::IfThenElse(hn::Lt(x, floor), floor, x);
    const auto rule = hn::LoadU(d, c.rule + a);
    x = hn::IfThenElse(hn::Eq(rule, hn::Set(d, kRuleMarket1)), hn::Mul(value, move1), x);
    x = hn::IfThenElse(hn::Eq(rule, hn::Set(d, kRuleMarket2)), hn::Mul(value, move2), x);
    x = hn::IfThenElse(hn::Eq(rule, hn::Set(d, kRuleInactive)), zero, x);
    hn::StoreU(x, d, pnl + a);
  }
}

}  // namespace HWY_NAMESPACE
}  // namespace creditsim
HWY_AFTER_NAMESPACE();

#if HWY_ONCE
namespace creditsim {

HWY_EXPORT(RepriceAssetsVector);

void RepriceAssets(const RepricingColumns& columns, const RepricingScenario& scenario, double* pnl) {
  HWY_DYNAMIC_DISPATCH(RepriceAssetsVector)(columns, scenario, pnl);
}

}  // namespace creditsim
#endif  // HWY_ONCE

#else  // no Highway: the scalar kernel gives the same bits

namespace creditsim {

void RepriceAssets(const RepricingColumns& columns, const RepricingScenario& scenario, double* pnl) {
  RepriceAssetsScalar(columns, scenario, pnl);
}

}  // namespace creditsim

#endif
