// The vector repricing kernel, one instruction set per Highway target, chosen
// at run time. Each lane follows the scalar rule: the issuer index, widened
// from 32 bits, looks up where the issuer's spread plane starts; lanes whose
// issuer kept its grade load the unchanged plane with the others and only the
// rest are gathered; the repricing runs as separate multiply, subtract and
// divide instructions (never fused); and comparing the issuer index with the
// spare issuers selects the lane's result.
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

// base[index] in the lanes of `mask`, `fallback` in the others. On AVX-512
// and AVX2 this is one masked gather, which loads only the masked lanes and
// takes the fallback as the register it merges into. An unmasked gather
// merges into whatever its destination register held, and the compiler may
// pick the register of the previous vector's result: that chains every
// iteration to the one before and made the kernel two to three times slower.
template <class D>
HWY_INLINE hn::Vec<D> GatherMasked(D d, hn::Mask<D> mask, const hn::TFromD<D>* HWY_RESTRICT base,
                                   hn::Vec<hn::RebindToSigned<D>> index, hn::Vec<D> fallback) {
  using T = hn::TFromD<D>;
  static_assert(sizeof(T) == 8 && hn::MaxLanes(d) == HWY_LANES(T), "full vectors of 64-bit lanes");
#if HWY_ARCH_X86 && HWY_TARGET <= HWY_AVX3
  if constexpr (hwy::IsFloat<T>()) {
    return hn::Vec<D>{_mm512_mask_i64gather_pd(fallback.raw, mask.raw, index.raw, base, 8)};
  } else {
    return hn::Vec<D>{_mm512_mask_i64gather_epi64(fallback.raw, mask.raw, index.raw, base, 8)};
  }
#elif HWY_ARCH_X86 && HWY_TARGET == HWY_AVX2
  if constexpr (hwy::IsFloat<T>()) {
    return hn::Vec<D>{_mm256_mask_i64gather_pd(fallback.raw, base, index.raw, mask.raw, 8)};
  } else {
    return hn::Vec<D>{
        _mm256_mask_i64gather_epi64(fallback.raw, reinterpret_cast<const long long*>(base), index.raw, mask.raw, 8)};
  }
#else
  return hn::IfThenElse(mask, hn::GatherIndex(d, base, index), fallback);
#endif
}

// The repricing of one vector of assets, with the scenario's constants.
class VectorRepricing {
 public:
  using D = hn::ScalableTag<double>;
  using DI = hn::RebindToSigned<D>;

  VectorRepricing(const RepricingColumns& c, const RepricingScenario& s)
      : c_(c),
        planeStart_(s.planeStart),
        multiplier_(hn::Set(d_, s.spreadMultiplier)),
        move1_(hn::Set(d_, s.market1Move)),
        move2_(hn::Set(d_, s.market2Move)),
        market1_(hn::Set(di_, c.issuerCount + std::int64_t{kSpareMarket1})),
        market2_(hn::Set(di_, c.issuerCount + std::int64_t{kSpareMarket2})),
        inactive_(hn::Set(di_, c.issuerCount + std::int64_t{kSpareInactive})),
        unchangedStart_(kUnchangedPlane * static_cast<std::int64_t>(c.padded)),
        unchanged_(hn::Set(di_, unchangedStart_)),
        lane_(hn::Iota(di_, 0)) {}

  // P&L of assets a .. a + Lanes(d) - 1.
  HWY_INLINE hn::Vec<D> At(std::size_t a) const {
    const hn::Rebind<std::int32_t, D> d32;
    const auto issuer = hn::PromoteTo(di_, hn::LoadU(d32, c_.issuer + a));
    // Lanes of spare issuers (all at or above market1) stay at the unchanged plane.
    const auto planeStart = GatherMasked(di_, hn::Lt(issuer, market1_), planeStart_, issuer, unchanged_);
    // Lane i reads entry a + i of its plane.
    const auto base = GatherMasked(d_, hn::RebindMask(d_, hn::Ne(planeStart, unchanged_)), c_.spreadPlanes + a,
                                   hn::Add(planeStart, lane_), hn::LoadU(d_, c_.spreadPlanes + unchangedStart_ + a));
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
  const std::int64_t* planeStart_;
  const hn::Vec<D> multiplier_, move1_, move2_;
  const hn::Vec<DI> market1_, market2_, inactive_;
  const std::int64_t unchangedStart_;
  const hn::Vec<DI> unchanged_, lane_;
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
