// The per-run columns of the revaluation and its three passes per scenario.
#include "simulation/asset_revaluation_plan.hpp"

#include <algorithm>
#include <bit>
#include <cstddef>

#include "simulation/sums_in_order.hpp"

namespace creditsim {

void AssetRevaluationPlan::Allocate(WorkingMemory& memory, std::int32_t M, std::int32_t N,
                                   const AssetRevaluationPlan* sharedColumns) {
  const std::size_t m = static_cast<std::size_t>(M), n = static_cast<std::size_t>(N);
  if (sharedColumns != nullptr) {
    *this = *sharedColumns;
    sharesColumns_ = true;
  } else {
    M_ = M;
    N_ = N;
    padded_ = (m + kRepricingPadding - 1) / kRepricingPadding * kRepricingPadding;
    AllocateColumns(memory);
  }
  planeStart_ = memory.Take<std::int64_t>(n + kSpareIssuers);
  defaultBits_ = memory.Take<std::uint64_t>((m + 63) / 64);
}

void AssetRevaluationPlan::AllocateColumns(WorkingMemory& memory) {
  const std::size_t m = static_cast<std::size_t>(M_), n = static_cast<std::size_t>(N_);
  issuer_ = memory.Take<std::int32_t>(padded_);
  spreadPlanes_ = memory.Take<double>(padded_ * kSpreadPlanes);
  value_ = memory.Take<double>(padded_);
  spread_ = memory.Take<double>(padded_);
  duration_ = memory.Take<double>(padded_);
  face_ = memory.Take<double>(m);
  twiceRecoveryMean_ = memory.Take<double>(m);
  creditAssetsStart_ = memory.Take<std::int32_t>(n + 1);
  creditAssets_ = memory.Take<std::int32_t>(m);
  currentGrade_ = memory.Take<RatingCode>(n);
}

std::int64_t AssetRevaluationPlan::PlaneStart(std::int64_t change) const {
  return (kUnchangedPlane + change) * static_cast<std::int64_t>(padded_);
}

void AssetRevaluationPlan::Build(const SimulationRun& run) {
  if (!sharesColumns_) BuildColumns(run);
  std::fill_n(planeStart_, N_ + kSpareIssuers, PlaneStart(0));
  std::fill_n(defaultBits_, (M_ + 63) / 64, 0);
}

void AssetRevaluationPlan::BuildColumns(const SimulationRun& run) {
  std::fill_n(creditAssetsStart_, N_ + 1, 0);
  std::copy_n(run.issuerRating, N_, currentGrade_);
  // Entries of grades an asset cannot reach (current grade + change outside
  // 1 .. 7) are never read; they hold 0.
  std::fill_n(spreadPlanes_, padded_ * kSpreadPlanes, 0.0);
  for (std::size_t a = 0; a < padded_; ++a) {
    issuer_[a] = N_ + kSpareInactive;
    value_[a] = spread_[a] = duration_[a] = 0;
    if (a >= static_cast<std::size_t>(M_)) continue;
    const AssetKind kind = run.assetKind[a];
    value_[a] = run.assetValue[a];
    face_[a] = twiceRecoveryMean_[a] = 0;
    if (IsMarketFactorAsset(kind)) {
      issuer_[a] = N_ + (kind == kMarketFactor1 ? kSpareMarket1 : kSpareMarket2);
      continue;
    }
    const int issuer = run.assetIssuer[a];
    const int current = run.issuerRating[issuer];
    if (current == kInactive) continue;
    issuer_[a] = issuer;
    ++creditAssetsStart_[issuer + 1];
    spread_[a] = run.assetSpread[a];
    duration_[a] = run.assetDuration[a];
    face_[a] = run.assetFace[a];
    const double mean = UsesRecoveryMeanB(kind) ? run.recoveryMeanB : run.recoveryMeanA;
    twiceRecoveryMean_[a] = 2 * mean;
    const double* low = run.spreadTable + run.assetTenorLow[a] * kSpreadTableWidth + SpreadClassOffset(kind);
    const double* high = run.spreadTable + run.assetTenorHigh[a] * kSpreadTableWidth + SpreadClassOffset(kind);
    for (int g = 1; g <= kGradeCount; ++g) {
      spreadPlanes_[PlaneStart(g - current) + static_cast<std::int64_t>(a)] =
          InterpolatedSpread(low[g], high[g], run.assetTenorWeight[a]);
    }
  }
  // Issuer lists of credit assets, each in ascending asset order.
  for (std::int32_t i = 0; i < N_; ++i) creditAssetsStart_[i + 1] += creditAssetsStart_[i];
  std::int64_t* cursor = planeStart_;  // free until the first scenario
  for (std::int32_t i = 0; i < N_; ++i) cursor[i] = creditAssetsStart_[i];
  for (std::int32_t a = 0; a < M_; ++a) {
    if (issuer_[a] < N_) creditAssets_[cursor[issuer_[a]]++] = a;
  }
}

bool AssetRevaluationPlan::MarkDefaultedAssets(const RatingCode* newRatings) {
  bool any = false;
  for (std::int32_t i = 0; i < N_; ++i) {
    const RatingCode grade = newRatings[i];
    if (grade != kDefault) {
      // Inactive issuers stay at kInactive: a change of 0.
      planeStart_[i] = PlaneStart(grade - currentGrade_[i]);
      continue;
    }
    planeStart_[i] = PlaneStart(0);
    for (std::int32_t k = creditAssetsStart_[i]; k < creditAssetsStart_[i + 1]; ++k) {
      const std::int32_t a = creditAssets_[k];
      defaultBits_[a / 64] |= std::uint64_t{1} << (a % 64);
      any = true;
    }
  }
  return any;
}

double AssetRevaluationPlan::Revalue(const RatingCode* newRatings, const ScenarioFactors& factors,
                                     RandomSource& source, double* assetPnl) {
  PriceAssets(newRatings, factors, source, assetPnl);
  // Credit assets of inactive issuers hold +0.0 and are added like the rest:
  // the sum starts at +0.0 and so is never -0.0, and adding +0.0 to anything
  // else leaves it unchanged, exactly as skipping it does.
  return SumInOrder(assetPnl, M_);
}

void AssetRevaluationPlan::PriceAssets(const RatingCode* newRatings, const ScenarioFactors& factors,
                                       RandomSource& source, double* assetPnl) {
  const bool anyDefault = MarkDefaultedAssets(newRatings);
  const RepricingColumns columns{static_cast<std::size_t>(M_), padded_, N_, issuer_, spreadPlanes_,
                                 value_, spread_, duration_};
  RepriceAssets(columns, {planeStart_, factors.spreadMultiplier, factors.market1Move, factors.market2Move},
                assetPnl);
  for (std::int32_t word = 0; anyDefault && word < (M_ + 63) / 64; ++word) {
    for (std::uint64_t bits = defaultBits_[word]; bits != 0; bits &= bits - 1) {
      const std::int32_t a = word * 64 + std::countr_zero(bits);
      const double rate = NextUniform(source) * twiceRecoveryMean_[a];
      assetPnl[a] = DefaultPnl(rate, face_[a], value_[a]);
    }
    defaultBits_[word] = 0;
  }
}

std::int64_t AssetRevaluationPlan::DefaultDraws(const RatingCode* newRatings) const {
  std::int64_t draws = 0;
  for (std::int32_t i = 0; i < N_; ++i) {
    if (newRatings[i] == kDefault) draws += creditAssetsStart_[i + 1] - creditAssetsStart_[i];
  }
  return draws;
}

void AssetRevaluationPlan::WriteNewSpreads(const RatingCode* newRatings, double spreadMultiplier,
                                           double* assetNewSpread) const {
  for (std::int32_t a = 0; a < M_; ++a) {
    const std::int32_t issuer = issuer_[a];
    if (issuer >= N_) continue;
    const RatingCode grade = newRatings[issuer];
    assetNewSpread[a] = grade == kDefault
                            ? 10000
                            : spreadPlanes_[PlaneStart(grade - currentGrade_[issuer]) + a] * spreadMultiplier;
  }
}

}  // namespace creditsim
