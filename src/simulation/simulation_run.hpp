// The record of one Simulate call: counts, scalars and the element blocks of
// the 25 host arrays, shared by the driver and every stage.
#pragma once

#include <cstdint>

namespace creditsim {

// Rating codes: 0 inactive, 1..7 grades (1 best), 8 default.
using RatingCode = std::int16_t;
inline constexpr RatingCode kInactive = 0;
inline constexpr RatingCode kDefault = 8;
inline constexpr int kGradeCount = 7;

// Asset kinds 33 and 34 are market-factor assets; all others are credit.
using AssetKind = std::int16_t;
inline constexpr AssetKind kMarketFactor1 = 33;
inline constexpr AssetKind kMarketFactor2 = 34;

// A tenor row of the spread table holds 33 columns (0, 8, 16, 24 and 32 are
// never read).
inline constexpr int kSpreadTableWidth = 33;

struct SimulationRun {
  std::int32_t issuerCount = 0;    // N
  std::int32_t assetCount = 0;     // M
  std::int32_t scenarioCount = 0;  // D
  std::int16_t tailSize = 0;       // K

  const double* factor = nullptr;
  double* issuerPercentile = nullptr;
  double* issuerShock = nullptr;
  const RatingCode* issuerRating = nullptr;
  const double* migrationThreshold = nullptr;
  RatingCode* issuerNewRating = nullptr;
  const std::int16_t* assetIssuer = nullptr;
  const double* assetFace = nullptr;
  const double* assetValue = nullptr;
  const double* spreadTable = nullptr;
  const std::int16_t* assetTenorLow = nullptr;
  const std::int16_t* assetTenorHigh = nullptr;
  const double* assetTenorWeight = nullptr;
  const double* assetDuration = nullptr;
  const AssetKind* assetKind = nullptr;
  const double* assetSpread = nullptr;
  double* assetNewSpread = nullptr;
  double* assetPnl = nullptr;
  double* tailPnl = nullptr;
  double* tailAssetPnl = nullptr;
  RatingCode* tailRating = nullptr;
  double* tailMultiplier = nullptr;
  double* scenarioPnl = nullptr;
  double* assetRestPnl = nullptr;
  double* tailRestPnl = nullptr;

  double spreadVolatility = 0;
  double market1Volatility = 0;
  double market2Volatility = 0;
  double recoveryMeanA = 0;
  double recoveryMeanB = 0;
};

inline bool IsMarketFactorAsset(AssetKind kind) {
  return kind == kMarketFactor1 || kind == kMarketFactor2;
}

// Column offset of a credit asset's spread class in a spread-table row.
inline int SpreadClassOffset(AssetKind kind) {
  if (kind >= 24) return 24;
  if (kind >= 16) return 16;
  if (kind >= 8) return 8;
  return 0;
}

// Kinds 22 and above recover with the second mean (kinds 22 and 23 price in
// the 16 class but recover like the 24 class).
inline bool UsesRecoveryMeanB(AssetKind kind) { return kind > 21; }

// T(r, k): migration threshold of current grade r for candidate grade k.
inline double MigrationThreshold(const double* thresholds, int currentGrade, int candidateGrade) {
  return thresholds[(candidateGrade - 1) * kGradeCount + (currentGrade - 1)];
}

}  // namespace creditsim
