// Systematic draws and asset revaluation. Every operation is a separate
// double operation in the written order; the scenario sum runs in ascending
// asset order.
#include "simulation/revalue_assets.hpp"

#include <cstddef>

namespace creditsim {

double SpreadMultiplierOf(double shock) {
  if (shock >= 0) return 1 + shock;
  return 1 / (1 - shock);
}

ScenarioFactors DrawSystematicFactors(const SimulationRun& run, RandomSource& source) {
  ScenarioFactors factors;
  const double spreadShock = NormalDraw(source, kSystematicLow, kSystematicHigh) * run.spreadVolatility;
  factors.spreadMultiplier = SpreadMultiplierOf(spreadShock);
  factors.market1Move = NormalDraw(source, kSystematicLow, kSystematicHigh) * run.market1Volatility;
  factors.market2Move = NormalDraw(source, kSystematicLow, kSystematicHigh) * run.market2Volatility;
  return factors;
}

void RevalueAssets(const SimulationRun& run, std::int32_t s, const ScenarioFactors& factors,
                   RandomSource& source) {
  double& total = run.scenarioPnl[s];
  for (std::ptrdiff_t a = 0; a < run.assetCount; ++a) {
    const AssetKind kind = run.assetKind[a];
    double pnl;
    if (kind == kMarketFactor1) {
      pnl = run.assetValue[a] * factors.market1Move;
    } else if (kind == kMarketFactor2) {
      pnl = run.assetValue[a] * factors.market2Move;
    } else {
      const int issuer = run.assetIssuer[a];
      if (run.issuerRating[issuer] == kInactive) {
        run.assetPnl[a] = 0;
        continue;
      }
      const RatingCode grade = run.issuerNewRating[issuer];
      if (grade == kDefault) {
        const double mean = UsesRecoveryMeanB(kind) ? run.recoveryMeanB : run.recoveryMeanA;
        const double rate = NextUniform(source) * (2 * mean);
        pnl = DefaultPnl(rate, run.assetFace[a], run.assetValue[a]);
        run.assetNewSpread[a] = 10000;
      } else {
        const int column = grade + SpreadClassOffset(kind);
        const double low = run.spreadTable[run.assetTenorLow[a] * kSpreadTableWidth + column];
        const double high = run.spreadTable[run.assetTenorHigh[a] * kSpreadTableWidth + column];
        const double newSpread = InterpolatedSpread(low, high, run.assetTenorWeight[a]) * factors.spreadMultiplier;
        run.assetNewSpread[a] = newSpread;
        pnl = RepricingPnl(newSpread, run.assetSpread[a], run.assetDuration[a], run.assetValue[a]);
      }
    }
    run.assetPnl[a] = pnl;
    total = total + pnl;
  }
}

}  // namespace creditsim
