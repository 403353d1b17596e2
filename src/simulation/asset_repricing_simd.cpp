// The vector repricing kernel, one instruction set per Highway target, chosen
// at run time. Each lane follows the scalar rule: the issuer index, widened
// from 32 bits, looks up where the issuer's spread plane starts; lanes whose
// issuer kept its grade load the unchanged plane with the others and only the
// rest are gathered; the repricing runs as separate multiply, subtract and
// divide instructions (never fused); and comparing the issuer index with the
// spare issuers selects the lane's result.
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

void RepriceAssetsVector(const RepricingColumns& c, const RepricingScenario& s, double* pnl) {
  const hn::ScalableTag<double> d;
  const hn::RebindToSigned<decltype(d)> di;
  const hn::Rebind<std::int32_t, decltype(d)> d32;
  const std::size_t lanes = hn::Lanes(d);
  const auto multiplier = hn::Set(d, s.spreadMultiplier);
  const auto move1 = hn::Set(d, s.market1Move);
  const auto move2 = hn::Set(d, s.market2Move);
  const auto minusHundred = hn::Set(d, -100.0);
  const auto hundred = hn::Set(d, 100.0);
  const auto zero = hn::Zero(d);
  const std::int64_t N = c.issuerCount;
  const auto market1 = hn::Set(di, N + kSpareMarket1);
  const auto market2 = hn::Set(di, N + kSpareMarket2);
  const auto inactive = hn::Set(di, N + kSpareInactive);
  const std::int64_t unchangedStart = kUnchangedPlane * static_cast<std::int64_t>(c.count);
  const auto unchanged = hn::Set(di, unchangedStart);
  const auto lane = hn::Iota(di, 0);
  for (std::size_t a = 0; a < c.count; a += lanes) {
    const auto issuer = hn::PromoteTo(di, hn::LoadU(d32, c.issuer + a));
    // Lanes of spare issuers (all at or above market1) stay at the unchanged plane.
    const auto planeStart = GatherMasked(di, hn::Lt(issuer, market1), s.planeStart, issuer, unchanged);
    // Lane i reads entry a + i of its plane.
    const auto base = GatherMasked(d, hn::RebindMask(d, hn::Ne(planeStart, unchanged)), c.spreadPlanes + a,
                                   hn::Add(planeStart, lane), hn::LoadU(d, c.spreadPlanes + unchangedStart + a));
    const auto value = hn::LoadU(d, c.value + a);
    auto x = hn::Sub(hn::Mul(base, multiplier), hn::LoadU(d, c.spread + a));
    x = hn::Div(x, minusHundred);
    x = hn::Mul(x, hn::LoadU(d, c.duration + a));
    x = hn::Div(x, hundred);
    x = hn::Mul(x, value);
    const auto floor = hn::Neg(value);
    x = hn::IfThenElse(hn::Lt(x, floor), floor, x);
    x = hn::IfThenElse(hn::RebindMask(d, hn::Eq(issuer, market1)), hn::Mul(value, move1), x);
    x = hn::IfThenElse(hn::RebindMask(d, hn::Eq(issuer, market2)), hn::Mul(value, move2), x);
    x = hn::IfThenElse(hn::RebindMask(d, hn::Eq(issuer, inactive)), zero, x);
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
