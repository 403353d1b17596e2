// The per-run tables of the revaluation and the per-scenario pass over the
// assets. The scenario sum stays one strict chain of additions in asset
// order; the work per asset around it is independent, so the processor
// overlaps it with the chain.
#include "simulation/asset_revaluation_plan.hpp"

#include <cstddef>

namespace creditsim {

void AssetRevaluationPlan::Allocate(WorkingMemory& memory, std::int32_t M) {
  M_ = M;
  const std::size_t m = static_cast<std::size_t>(M);
  rule_ = memory.Take<AssetRule>(m);
  issuer_ = memory.Take<std::int32_t>(m);
  value_ = memory.Take<double>(m);
  spread_ = memory.Take<double>(m);
  duration_ = memory.Take<double>(m);
  face_ = memory.Take<double>(m);
  twiceRecoveryMean_ = memory.Take<double>(m);
  gradeSpread_ = memory.Take<double>(m * kGradeSpreadStride);
}

void AssetRevaluationPlan::Build(const SimulationRun& run) {
  for (std::ptrdiff_t a = 0; a < M_; ++a) {
    const AssetKind kind = run.assetKind[a];
    value_[a] = run.assetValue[a];
    double* spreads = gradeSpread_ + a * kGradeSpreadStride;
    for (int g = 0; g < kGradeSpreadStride; ++g) spreads[g] = 0;
    issuer_[a] = 0;
    spread_[a] = duration_[a] = face_[a] = twiceRecoveryMean_[a] = 0;
    if (kind == kMarketFactor1) {
      rule_[a] = AssetRule::Market1;
      continue;
    }
    if (kind == kMarketFactor2) {
      rule_[a] = AssetRule::Market2;
      continue;
    }
    const int issuer = run.assetIssuer[a];
    issuer_[a] = issuer;
    if (run.issuerRating[issuer] == kInactive) {
      rule_[a] = AssetRule::InactiveIssuer;
      continue;
    }
    rule_[a] = AssetRule::Credit;
    spread_[a] = run.assetSpread[a];
    duration_[a] = run.assetDuration[a];
    face_[a] = run.assetFace[a];
    const double mean = UsesRecoveryMeanB(kind) ? run.recoveryMeanB : run.recoveryMeanA;
    twiceRecoveryMean_[a] = 2 * mean;
    const double* low = run.spreadTable + run.assetTenorLow[a] * kSpreadTableWidth + SpreadClassOffset(kind);
    const double* high = run.spreadTable + run.assetTenorHigh[a] * kSpreadTableWidth + SpreadClassOffset(kind);
    for (int g = 1; g <= kGradeCount; ++g) {
      spreads[g] = InterpolatedSpread(low[g], high[g], run.assetTenorWeight[a]);
    }
  }
}

double AssetRevaluationPlan::Revalue(const RatingCode* newRatings, const ScenarioFactors& factors,
                                     RandomSource& source, double* assetPnl) const {
  double total = 0;
  for (std::ptrdiff_t a = 0; a < M_; ++a) {
    double pnl;
    switch (rule_[a]) {
      case AssetRule::Market1:
        pnl = value_[a] * factors.market1Move;
        break;
      case AssetRule::Market2:
        pnl = value_[a] * factors.market2Move;
        break;
      case AssetRule::InactiveIssuer:
        assetPnl[a] = 0;  // nothing is added: not even +0.0 enters the sum
        continue;
      default: {
        const RatingCode grade = newRatings[issuer_[a]];
        if (grade == kDefault) {
          const double rate = NextUniform(source) * twiceRecoveryMean_[a];
          pnl = DefaultPnl(rate, face_[a], value_[a]);
        } else {
          const double newSpread = gradeSpread_[a * kGradeSpreadStride + grade] * factors.spreadMultiplier;
          pnl = RepricingPnl(newSpread, spread_[a], duration_[a], value_[a]);
        }
      }
    }
    assetPnl[a] = pnl;
    total = total + pnl;
  }
  return total;
}

void AssetRevaluationPlan::WriteNewSpreads(const RatingCode* newRatings, double spreadMultiplier,
                                           double* assetNewSpread) const {
  for (std::ptrdiff_t a = 0; a < M_; ++a) {
    if (rule_[a] != AssetRule::Credit) continue;
    const RatingCode grade = newRatings[issuer_[a]];
    assetNewSpread[a] =
        grade == kDefault ? 10000 : gradeSpread_[a * kGradeSpreadStride + grade] * spreadMultiplier;
  }
}

}  // namespace creditsim
