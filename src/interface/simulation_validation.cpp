// Checks are ordered as the parameters are: counts first, then lengths in
// parameter order, then the values that index other arrays. Reading past an
// array because of a bad index is exactly what these checks prevent.
#include "interface/simulation_validation.hpp"

#include <algorithm>
#include <span>
#include <string>

#include "interface/messages.hpp"

namespace creditsim {
namespace {

template <class T>
void RequireLength(std::span<T> array, const char* name, std::int64_t needed, const std::string& why) {
  if (needed > 0 && static_cast<std::int64_t>(array.size()) < needed) {
    throw Error(CREDITSIM_ERROR_ARRAY_TOO_SHORT,
                Message(name, ": holds ", array.size(), " elements, needs ", needed, " for ", why));
  }
}

void RequireCounts(std::int32_t N, std::int32_t M) {
  if (N < 1 || N > kMaxIssuers) {
    throw Error(CREDITSIM_ERROR_COUNT_RANGE,
                Message("factor: defines ", N, " issuers, needs 1 to ", kMaxIssuers));
  }
  if (M < 0 || M > kMaxAssets) {
    throw Error(CREDITSIM_ERROR_COUNT_RANGE,
                Message("assetFace: defines ", M, " assets, needs 0 to ", kMaxAssets));
  }
}

void RequireLengths(const SimulationArrays& a, const SimulationParameters& p, std::int64_t N, std::int64_t M) {
  const std::string issuers = Message(N, " issuers");
  const std::string assets = Message(M, " assets");
  RequireLength(a.factor, "factor", N * N, issuers);
  RequireLength(a.issuerPercentile, "issuerPercentile", N, issuers);
  RequireLength(a.issuerShock, "issuerShock", N, issuers);
  RequireLength(a.issuerRating, "issuerRating", N, issuers);
  RequireLength(a.migrationThreshold, "migrationThreshold", 49, "7 x 7 thresholds");
  RequireLength(a.issuerNewRating, "issuerNewRating", N, issuers);
  RequireLength(a.assetIssuer, "assetIssuer", M, assets);
  RequireLength(a.assetFace, "assetFace", M, assets);
  RequireLength(a.assetValue, "assetValue", M, assets);
  RequireLength(a.assetTenorLow, "assetTenorLow", M, assets);
  RequireLength(a.assetTenorHigh, "assetTenorHigh", M, assets);
  RequireLength(a.assetTenorWeight, "assetTenorWeight", M, assets);
  RequireLength(a.assetDuration, "assetDuration", M, assets);
  RequireLength(a.assetKind, "assetKind", M, assets);
  RequireLength(a.assetSpread, "assetSpread", M, assets);
  RequireLength(a.assetNewSpread, "assetNewSpread", M, assets);
  RequireLength(a.assetPnl, "assetPnl", M, assets);
  const std::int64_t K = p.tailSize;
  if (K >= 1) {
    const std::string slots = Message(K, " tail slots");
    RequireLength(a.tailPnl, "tailPnl", K, slots);
    RequireLength(a.tailAssetPnl, "tailAssetPnl", K * M, slots + " of " + assets);
    RequireLength(a.tailRating, "tailRating", K * N, slots + " of " + issuers);
    RequireLength(a.tailMultiplier, "tailMultiplier", K, slots);
  }
  RequireLength(a.scenarioPnl, "scenarioPnl", p.scenarioCount, Message(p.scenarioCount, " scenarios"));
  RequireLength(a.assetRestPnl, "assetRestPnl", M, assets);
  if (K >= 1) RequireLength(a.tailRestPnl, "tailRestPnl", K * M, Message(K, " tail slots of ", assets));
}

void RequireIndexValues(const SimulationArrays& a, std::int32_t N, std::int32_t M) {
  for (std::int32_t i = 0; i < N; ++i) {
    const int r = a.issuerRating[i];
    if (r < 0 || r > kGradeCount) {
      throw Error(CREDITSIM_ERROR_VALUE_RANGE,
                  Message("issuerRating[", i, "]: value ", r, " is outside 0..7"));
    }
  }
  const std::int64_t rows = static_cast<std::int64_t>(a.spreadTable.size()) / kSpreadTableWidth;
  for (std::int32_t j = 0; j < M; ++j) {
    if (IsMarketFactorAsset(a.assetKind[j])) continue;  // issuer and tenor are never read
    const int issuer = a.assetIssuer[j];
    if (issuer < 0 || issuer >= N) {
      throw Error(CREDITSIM_ERROR_VALUE_RANGE,
                  Message("assetIssuer[", j, "]: value ", issuer, " is not an issuer position 0..", N - 1));
    }
    for (auto [name, tenors] : {std::pair{"assetTenorLow", a.assetTenorLow}, std::pair{"assetTenorHigh", a.assetTenorHigh}}) {
      const int row = tenors[j];
      if (row < 0 || row >= rows) {
        throw Error(CREDITSIM_ERROR_VALUE_RANGE,
                    Message(name, "[", j, "]: value ", row, " is not a row of spreadTable, which holds ", rows,
                            rows == 1 ? " row" : " rows", " of 33"));
      }
    }
  }
}

}  // namespace

void ValidateCorrelation(std::int64_t n, std::size_t correlationSize, std::size_t factorSize) {
  if (n <= 0) return;
  if (n * n > INT32_MAX) {
    throw Error(CREDITSIM_ERROR_COUNT_RANGE,
                Message("correlation: ", n, " issuers give ", n * n, " elements, more than the ", INT32_MAX,
                        " that positions can address"));
  }
  const std::string why = Message(n, n == 1 ? " issuer" : " issuers");
  if (static_cast<std::int64_t>(correlationSize) < n * n) {
    throw Error(CREDITSIM_ERROR_ARRAY_TOO_SHORT,
                Message("correlation: holds ", correlationSize, " elements, needs ", n * n, " for ", why));
  }
  if (static_cast<std::int64_t>(factorSize) < n * n) {
    throw Error(CREDITSIM_ERROR_ARRAY_TOO_SHORT,
                Message("factor: holds ", factorSize, " elements, needs ", n * n, " for ", why));
  }
}

SimulationRun ValidateSimulation(const SimulationArrays& arrays, const SimulationParameters& parameters) {
  const auto N = static_cast<std::int32_t>(std::min<std::size_t>(arrays.issuerRating.size(), INT32_MAX));
  const auto M = static_cast<std::int32_t>(std::min<std::size_t>(arrays.assetFace.size(), INT32_MAX));
  return ValidateSimulation(arrays, parameters, N, M);
}

SimulationRun ValidateSimulation(const SimulationArrays& a, const SimulationParameters& p, std::int32_t N,
                                 std::int32_t M) {
  RequireCounts(N, M);
  RequireLengths(a, p, N, M);
  RequireIndexValues(a, N, M);

  SimulationRun run;
  run.issuerCount = N;
  run.assetCount = M;
  run.scenarioCount = p.scenarioCount;
  run.tailSize = p.tailSize;
  run.factor = a.factor.data();
  run.issuerPercentile = a.issuerPercentile.data();
  run.issuerShock = a.issuerShock.data();
  run.issuerRating = a.issuerRating.data();
  run.migrationThreshold = a.migrationThreshold.data();
  run.issuerNewRating = a.issuerNewRating.data();
  run.assetIssuer = a.assetIssuer.data();
  run.assetFace = a.assetFace.data();
  run.assetValue = a.assetValue.data();
  run.spreadTable = a.spreadTable.data();
  run.assetTenorLow = a.assetTenorLow.data();
  run.assetTenorHigh = a.assetTenorHigh.data();
  run.assetTenorWeight = a.assetTenorWeight.data();
  run.assetDuration = a.assetDuration.data();
  run.assetKind = a.assetKind.data();
  run.assetSpread = a.assetSpread.data();
  run.assetNewSpread = a.assetNewSpread.data();
  run.assetPnl = a.assetPnl.data();
  run.tailPnl = a.tailPnl.data();
  run.tailAssetPnl = a.tailAssetPnl.data();
  run.tailRating = a.tailRating.data();
  run.tailMultiplier = a.tailMultiplier.data();
  run.scenarioPnl = a.scenarioPnl.data();
  run.assetRestPnl = a.assetRestPnl.data();
  run.tailRestPnl = a.tailRestPnl.data();
  run.spreadVolatility = p.spreadVolatility;
  run.market1Volatility = p.market1Volatility;
  run.market2Volatility = p.market2Volatility;
  run.recoveryMeanA = p.recoveryMeanA;
  run.recoveryMeanB = p.recoveryMeanB;
  return run;
}

}  // namespace creditsim
