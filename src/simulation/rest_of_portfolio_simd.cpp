// The vector candidate search of the rest-of-portfolio merge, one
// instruction set per Highway target, chosen at run time. The comparison is
// the scalar one, !(rest > top), so NaN on either side makes a candidate.
#include "simulation/rest_of_portfolio_kernel.hpp"

#if defined(CREDITSIM_HAVE_HIGHWAY)

#include <bit>

#undef HWY_TARGET_INCLUDE
#define HWY_TARGET_INCLUDE "simulation/rest_of_portfolio_simd.cpp"
#include <hwy/foreach_target.h>  // IWYU pragma: keep
#include <hwy/highway.h>

HWY_BEFORE_NAMESPACE();
namespace creditsim {
namespace HWY_NAMESPACE {
namespace hn = hwy::HWY_NAMESPACE;

std::int32_t FindCandidatesVector(double L, const double* pnl, const double* top, std::int32_t M, double* rest,
                                  std::int32_t* candidates) {
  const hn::ScalableTag<double> d;
  const std::int32_t lanes = static_cast<std::int32_t>(hn::Lanes(d));
  const auto loss = hn::Set(d, L);
  std::int32_t count = 0;
  std::int32_t a = 0;
  for (; a + lanes <= M; a += lanes) {
    const auto value = hn::Sub(loss, hn::LoadU(d, pnl + a));
    hn::StoreU(value, d, rest + a);
    const auto insert = hn::Not(hn::Gt(value, hn::LoadU(d, top + a)));
    std::uint8_t bits[8] = {};
    hn::StoreMaskBits(d, insert, bits);
    std::uint64_t mask = bits[0];
    for (; mask != 0; mask &= mask - 1) candidates[count++] = a + std::countr_zero(mask);
  }
  for (; a < M; ++a) {
    rest[a] = L - pnl[a];
    if (!(rest[a] > top[a])) candidates[count++] = a;
  }
  return count;
}

}  // namespace HWY_NAMESPACE
}  // namespace creditsim
HWY_AFTER_NAMESPACE();

#if HWY_ONCE
namespace creditsim {

HWY_EXPORT(FindCandidatesVector);

std::int32_t FindRestOfPortfolioCandidates(double L, const double* pnl, const double* top, std::int32_t M,
                                           double* rest, std::int32_t* candidates) {
  return HWY_DYNAMIC_DISPATCH(FindCandidatesVector)(L, pnl, top, M, rest, candidates);
}

}  // namespace creditsim
#endif  // HWY_ONCE

#else  // no Highway: the scalar pass gives the same result

namespace creditsim {

std::int32_t FindRestOfPortfolioCandidates(double L, const double* pnl, const double* top, std::int32_t M,
                                           double* rest, std::int32_t* candidates) {
  return FindRestOfPortfolioCandidatesScalar(L, pnl, top, M, rest, candidates);
}

}  // namespace creditsim

#endif
