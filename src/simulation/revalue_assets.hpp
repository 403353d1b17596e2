// Second and third stages of a scenario: the systematic draws and the
// revaluation of every asset.
#pragma once

#include <cstdint>

#include "numerics/random_source.hpp"
#include "simulation/simulation_run.hpp"

namespace creditsim {

struct ScenarioFactors {
  double spreadMultiplier = 1;
  double market1Move = 0;
  double market2Move = 0;
};

// Takes exactly three values: the spread shock, then market 1, then market 2.
ScenarioFactors DrawSystematicFactors(const SimulationRun& run, RandomSource& source);

// The spread multiplier of a spread shock a: 1 + a for a >= 0, 1 / (1 - a)
// otherwise, so that -a gives the reciprocal of +a.
double SpreadMultiplierOf(double shock);

// Writes assetPnl (and assetNewSpread for repriced and defaulted credit
// assets) and sums scenarioPnl[s] in ascending asset order. Takes one value
// per credit asset whose issuer defaulted, in asset order.
void RevalueAssets(const SimulationRun& run, std::int32_t s, const ScenarioFactors& factors,
                   RandomSource& source);

// Value change of a credit asset repriced at `newSpread`, floored at the loss
// of its whole value. Inline: both engines call it once per asset.
inline double RepricingPnl(double newSpread, double spread, double duration, double value) {
  double d = newSpread - spread;
  d = d / -100.0;
  d = d * duration;
  d = d / 100.0;
  d = d * value;
  if (d < -value) d = -value;
  return d;
}

// Value change on default with recovery `rate` of face, capped at 0.
inline double DefaultPnl(double rate, double face, double value) {
  double pnl = rate * face;
  pnl = pnl - value;
  if (pnl > 0) pnl = 0;
  return pnl;
}

// Interpolated spread between two tenor rows, before the multiplier.
inline double InterpolatedSpread(double low, double high, double weight) {
  const double step = (high - low) * weight;
  return low + step;
}

}  // namespace creditsim
