// The vector repricing kernel, one instruction set per Highway target, chosen
// at run time. Each lane follows the scalar rule: the spread comes from the
// unchanged plane; the repricing runs as separate multiply, subtract and
// divide instructions (never fused); and comparing the issuer index, widened
// from 32 bits, with the spare issuers selects the lane's result.
#include "simulation/asset_repricing_kernel.hpp"

#include <algorithm>

#if defined(CREDITSIM_HAVE_HIGHWAY)

#undef HWY_TARGET_INCLUDE
#define HWY_TARGET_INCLUDE "simulation/asset_repricing_simd.cpp"
#include <hwy/foreach_target.h>  // IWYU pragma: keep
#include <hwy/highway.h>

HWY_BEFORE_NAMESPACE();
namespace creditsim {
namespace HWY_NAMESPACE {
namespace hn = hwy::HWY_NAMESPACE;

// The repricing of one vector of assets, with the scenario's constants.
class VectorRepricing {
 public:
  using D = hn::ScalableTag<double>;
  using DI = hn::RebindToSigned<D>;

  VectorRepricing(const RepricingColumns& c, const RepricingScenario& s)
      : c_(c),
        multiplier_(hn::Set(d_, s.spreadMultiplier)),
        move1_(hn::Set(d_, s.market1Move)),
        move2_(hn::Set(d_, s.market2Move)),
        market1_(hn::Set(di_, c.issuerCount + std::int64_t{kSpareMarket1})),
        market2_(hn::Set(di_, c.issuerCount + std::int64_t{kSpareMarket2})),
        inactive_(hn::Set(di_, c.issuerCount + std::int64_t{kSpareInactive})),
        unchanged_(c.spreadPlanes + kUnchangedPlane * static_cast<std::ptrdiff_t>(c.padded)) {}

  // P&L of assets a .. a + Lanes(d) - 1.
  HWY_INLINE hn::Vec<D> At(std::size_t a) const {
    const hn::Rebind<std::int32_t, D> d32;
    const auto issuer = hn::PromoteTo(di_, hn::LoadU(d32, c_.issuer + a));
    const auto base = hn::LoadU(d_, unchanged_ + a);
    const auto value = hn::LoadU(d_, c_.value + a);
    auto x = hn::Sub(hn::Mul(base, multiplier_), hn::LoadU(d_, c_.spread + a));
    x = hn::Div(x, hn::Set(d_, -100.0));
    x = hn::Mul(x, hn::LoadU(d_, c_.duration + a));
    x = hn::Div(x, hn::Set(d_, 100.0));
    x = hn::Mul(x, value);
    const auto floor = hn::Neg(value);
    x = hn::IfThenElse(hn::Lt(x, floor), floor, x);
    x = hn::IfThenElse(hn::RebindMask(d_, hn::Eq(issuer, market1_)), hn::Mul(value, move1_), x);
    x = hn::IfThenElse(hn::RebindMask(d_, hn::Eq(issuer, market2_)), hn::Mul(value, move2_), x);
    return hn::IfThenElse(hn::RebindMask(d_, hn::Eq(issuer, inactive_)), hn::Zero(d_), x);
  }

 private:
  const D d_;
  const DI di_;
  const RepricingColumns& c_;
  const hn::Vec<D> multiplier_, move1_, move2_;
  const hn::Vec<DI> market1_, market2_, inactive_;
  const double* unchanged_;  // the unchanged spread plane
};

void RepriceAssetsVector(const RepricingColumns& c, const RepricingScenario& s, double* pnl) {
  const VectorRepricing::D d;
  const std::size_t lanes = hn::Lanes(d);
  const VectorRepricing repricing(c, s);
  std::size_t a = 0;
  for (; a + lanes <= c.count; a += lanes) hn::StoreU(repricing.At(a), d, pnl + a);
  if (a < c.count) {
    // The last, partial vector: the columns are padded, the P&L is not.
    HWY_ALIGN double last[hn::MaxLanes(d)];
    hn::Store(repricing.At(a), d, last);
    std::copy_n(last, c.count - a, pnl + a);
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
