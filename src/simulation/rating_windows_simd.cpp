// The vector count of RateByWindows, one instruction set per Highway
// target, chosen at run time. Counts are kept in double lanes (exact for
// such small integers) and narrowed to grades only where stored.
#include "simulation/rating_windows.hpp"

#if defined(CREDITSIM_HAVE_HIGHWAY)

#include <bit>

#undef HWY_TARGET_INCLUDE
#define HWY_TARGET_INCLUDE "simulation/rating_windows_simd.cpp"
#include <hwy/foreach_target.h>  // IWYU pragma: keep
#include <hwy/highway.h>

HWY_BEFORE_NAMESPACE();
namespace creditsim {
namespace HWY_NAMESPACE {
namespace hn = hwy::HWY_NAMESPACE;

std::int32_t RateByWindowsVector(const double* planes, std::int32_t n, const double* z, RatingCode* out,
                                 std::int32_t* exact) {
  const hn::ScalableTag<double> d;
  const hn::Rebind<std::int32_t, decltype(d)> d32;
  const hn::Rebind<std::int16_t, decltype(d)> d16;
  const std::int32_t lanes = static_cast<std::int32_t>(hn::Lanes(d));
  const auto one = hn::Set(d, 1.0);
  const auto all = hn::Set(d, static_cast<double>(kGradeCount));
  std::int32_t listed = 0;
  std::int32_t i = 0;
  for (; i + lanes <= n; i += lanes) {
    const auto shock = hn::LoadU(d, z + i);
    auto grade = one;  // one plus the windows above the shock
    auto outside = hn::Zero(d);
#pragma GCC unroll 7
    for (int k = 0; k < kGradeCount; ++k) {
      const auto lo = hn::LoadU(d, planes + static_cast<std::ptrdiff_t>(k) * n + i);
      const auto hi = hn::LoadU(d, planes + static_cast<std::ptrdiff_t>(kGradeCount + k) * n + i);
      const auto below = hn::Lt(shock, lo);
      grade = hn::Add(grade, hn::IfThenElseZero(below, one));
      outside = hn::Add(outside, hn::IfThenElseZero(hn::Or(below, hn::Gt(shock, hi)), one));
    }
    hn::StoreU(hn::DemoteTo(d16, hn::DemoteTo(d32, grade)), d16, out + i);
    const auto listedLanes = hn::Ne(outside, all);
    if (!hn::AllFalse(d, listedLanes)) {
      std::uint8_t bits[8] = {};
      hn::StoreMaskBits(d, listedLanes, bits);
      for (std::uint64_t mask = bits[0]; mask != 0; mask &= mask - 1) exact[listed++] = i + std::countr_zero(mask);
    }
  }
  for (; i < n; ++i) exact[listed++] = i;
  return listed;
}

}  // namespace HWY_NAMESPACE
}  // namespace creditsim
HWY_AFTER_NAMESPACE();

#if HWY_ONCE
namespace creditsim {

HWY_EXPORT(RateByWindowsVector);

std::int32_t RateByWindows(const double* planes, std::int32_t n, const double* z, RatingCode* out,
                           std::int32_t* exact) {
  return HWY_DYNAMIC_DISPATCH(RateByWindowsVector)(planes, n, z, out, exact);
}

}  // namespace creditsim
#endif  // HWY_ONCE

#else  // no Highway: the scalar count gives the same grades

namespace creditsim {

std::int32_t RateByWindows(const double* planes, std::int32_t n, const double* z, RatingCode* out,
                           std::int32_t* exact) {
  return RateByWindowsScalar(planes, n, z, out, exact);
}

}  // namespace creditsim

#endif
