#include "portfolio_simulation.hpp"

#include <cmath>
#include <limits>

#include "exit_codes.hpp"

namespace creditsim::cli {
namespace {

void FillAssetArrays(const Portfolio& portfolio, SimulationInputs& in) {
  for (const Asset& asset : portfolio.assets) {
    in.assetIssuer.push_back(asset.issuerIndex);
    in.assetFace.push_back(asset.face);
    in.assetValue.push_back(asset.value);
    in.assetTenorLow.push_back(asset.tenorLow);
    in.assetTenorHigh.push_back(asset.tenorHigh);
    in.assetTenorWeight.push_back(asset.tenorWeight);
    in.assetDuration.push_back(asset.duration);
    in.assetKind.push_back(asset.kind);
    in.assetSpread.push_back(asset.spread);
  }
}

// The correlation matrix was checked to be positive definite; a factor with
// a non-finite or non-positive diagonal would still mean a matrix too close
// to singular for the factorisation, and a run on it would be meaningless.
void CheckFactor(const Portfolio& portfolio, const std::vector<double>& factor) {
  const std::size_t n = portfolio.issuers.size();
  for (std::size_t i = 0; i < n; ++i) {
    const double diagonal = factor[i * n + i];
    if (!std::isfinite(diagonal) || diagonal <= 0) {
      throw CliError(kExitBadInput, portfolio.directory + ": the correlation matrix cannot be factored (at issuer '" +
                                        portfolio.issuers[i].id + "')");
    }
  }
}

}  // namespace

SimulationInputs BuildSimulationInputs(const Portfolio& portfolio, std::int32_t scenarios, std::int16_t tailSize) {
  SimulationInputs in;
  in.issuerCount = static_cast<std::int32_t>(portfolio.issuers.size());
  in.assetCount = static_cast<std::int32_t>(portfolio.assets.size());
  in.factor.assign(portfolio.correlation.size(), 0.0);
  // Correl reads the lower triangle of the host view, which is the row-major
  // upper triangle of our symmetric matrix: the same numbers either way.
  Correl(in.issuerCount, portfolio.correlation, in.factor);
  CheckFactor(portfolio, in.factor);
  for (const Issuer& issuer : portfolio.issuers) in.issuerRating.push_back(issuer.rating);
  in.migrationThreshold.assign(portfolio.thresholds.begin(), portfolio.thresholds.end());
  in.spreadTable = portfolio.spreadTable;
  FillAssetArrays(portfolio, in);
  const RunSettings& s = portfolio.settings;
  in.parameters = {scenarios, tailSize, s.spreadVolatility, s.market1Volatility, s.market2Volatility,
                   s.recoveryMeanA, s.recoveryMeanB};
  return in;
}

namespace {

ShardedSimulator& ActiveShardedSimulator() {
  static ShardedSimulator simulator = [](const SimulationArrays& arrays, const SimulationParameters& parameters,
                                         const ShardingOptions& sharding, const SimulationOptions& options) {
    return ShardedCall{SimulateSharded(arrays, parameters, sharding, options), true};
  };
  return simulator;
}

}  // namespace

void UseShardedSimulator(ShardedSimulator simulator) { ActiveShardedSimulator() = std::move(simulator); }

ShardedCall SimulateShardedInThisProgram(const SimulationArrays& arrays, const SimulationParameters& parameters,
                                         const ShardingOptions& sharding, const SimulationOptions& options) {
  return ActiveShardedSimulator()(arrays, parameters, sharding, options);
}

SimulationResults SimulatePortfolio(const SimulationInputs& in, const SimulationOptions& options,
                                    const ShardingOptions& sharding) {
  const auto n = static_cast<std::size_t>(in.issuerCount);
  const auto m = static_cast<std::size_t>(in.assetCount);
  const auto k = static_cast<std::size_t>(std::max<std::int16_t>(in.parameters.tailSize, 0));
  constexpr double kEmpty = std::numeric_limits<double>::infinity();
  SimulationResults out;
  out.scenarioPnl.assign(static_cast<std::size_t>(in.parameters.scenarioCount), 0.0);
  out.tailPnl.assign(k, kEmpty);
  out.tailAssetPnl.assign(k * m, 0.0);
  out.tailMultiplier.assign(k, 0.0);
  out.tailRestPnl.assign(k * m, kEmpty);
  out.tailRating.assign(k * n, 0);
  // Scratch arrays of the latest scenario: the report does not use them.
  std::vector<double> percentile(n), shock(n), newSpread(m), pnl(m), restPnl(m);
  std::vector<std::int16_t> newRating(n);
  const SimulationArrays arrays{in.factor, percentile, shock, in.issuerRating, in.migrationThreshold, newRating,
                                in.assetIssuer, in.assetFace, in.assetValue, in.spreadTable, in.assetTenorLow,
                                in.assetTenorHigh, in.assetTenorWeight, in.assetDuration, in.assetKind,
                                in.assetSpread, newSpread, pnl, out.tailPnl, out.tailAssetPnl, out.tailRating,
                                out.tailMultiplier, out.scenarioPnl, restPnl, out.tailRestPnl};
  if (sharding.shards > 0) {
    const ShardedCall call = SimulateShardedInThisProgram(arrays, in.parameters, sharding, options);
    out.outcome = call.outcome;
    out.reportHere = call.reportHere;
  } else {
    out.outcome = Simulate(arrays, in.parameters, options);
  }
  out.scenarioPnl.resize(static_cast<std::size_t>(out.outcome.scenariosRun));
  return out;
}

}  // namespace creditsim::cli
