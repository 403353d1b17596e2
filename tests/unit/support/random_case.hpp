// Random small host cases for differential tests: every kind class, inactive
// issuers, defaults, non-monotone thresholds, ties and, on request, NaN in
// inputs and unordered starting tails.
#pragma once

#include <cmath>
#include <limits>
#include <random>

#include "host_case.hpp"
#include "numerics/correlation_factor.hpp"

namespace creditsim::testing {

struct RandomCaseOptions {
  bool allowNaN = true;        // NaN or infinite values in inputs and tails
  bool orderedTails = false;   // starting tails ascending without NaN
  bool coarseValues = false;   // few distinct P&L values, so ties are common
};

inline cli::HostCase MakeRandomCase(std::mt19937_64& random, const RandomCaseOptions& o = {}) {
  auto uniform = [&](double lo, double hi) { return std::uniform_real_distribution<double>(lo, hi)(random); };
  auto integer = [&](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(random); };
  auto chance = [&](double p) { return uniform(0, 1) < p; };
  const int N = integer(1, 5), M = integer(0, 8), K = integer(-1, 4), D = integer(0, 260), rows = integer(1, 3);
  nlohmann::json c;
  std::vector<double> correlation(static_cast<std::size_t>(N * N));
  for (int i = 0; i < N; ++i)
    for (int k = 0; k < N; ++k) correlation[static_cast<std::size_t>(i * N + k)] = i == k ? 1.0 : 0.3;
  c["correlation"] = correlation;
  std::vector<int> ratings;
  for (int i = 0; i < N; ++i) ratings.push_back(chance(0.15) ? 0 : integer(1, 7));
  c["issuerRating"] = ratings;
  std::vector<double> thresholds;
  for (int k = 1; k <= 7; ++k)
    for (int r = 1; r <= 7; ++r) thresholds.push_back(chance(0.1) ? uniform(0, 1) : std::min(1.0, 0.04 * (7 - k) * (8 - r) / 7.0 + 0.02 * r));
  c["migrationThreshold"] = thresholds;
  std::vector<double> spreads;
  for (int i = 0; i < 33 * rows; ++i) spreads.push_back(o.coarseValues ? 100.0 : uniform(5, 3000));
  c["spreadTable"] = spreads;
  const int kinds[] = {0, 5, 8, 15, 16, 21, 22, 23, 24, 32, 33, 34, 35, -4};
  std::vector<int> kind, issuer, low, high;
  std::vector<double> face, value, spread, duration, weight;
  for (int a = 0; a < M; ++a) {
    kind.push_back(kinds[integer(0, 13)]);
    issuer.push_back(integer(0, N - 1));
    low.push_back(integer(0, rows - 1));
    high.push_back(integer(0, rows - 1));
    face.push_back(o.coarseValues ? 100.0 : uniform(50, 150));
    value.push_back(o.coarseValues ? 100.0 : uniform(40, 150));
    spread.push_back(o.coarseValues ? 100.0 : uniform(10, 900));
    duration.push_back(o.coarseValues ? 0.0 : uniform(0, 12));
    weight.push_back(uniform(-0.2, 1.2));
  }
  if (o.allowNaN && M > 0 && chance(0.2)) value[static_cast<std::size_t>(integer(0, M - 1))] = std::nan("");
  c["assetKind"] = kind;
  c["assetIssuer"] = issuer;
  c["assetTenorLow"] = low;
  c["assetTenorHigh"] = high;
  c["assetFace"] = face;
  c["assetValue"] = value;
  c["assetSpread"] = spread;
  c["assetDuration"] = duration;
  c["assetTenorWeight"] = weight;
  // Starting tails: empty (+inf), ascending values, or arbitrary content.
  auto tail = [&](int count, int columns) {
    std::vector<double> values(static_cast<std::size_t>(std::max(count, 0) * columns));
    for (int col = 0; col < columns; ++col) {
      double level = -uniform(0, 400);
      for (int i = 0; i < count; ++i) {
        double& v = values[static_cast<std::size_t>(i * columns + col)];
        if (o.orderedTails) {
          v = chance(0.3) ? std::numeric_limits<double>::infinity() : (level += uniform(0, 50));
          if (std::isinf(v)) level = v;
        } else {
          v = chance(0.1) && o.allowNaN ? std::nan("") : uniform(-500, 100);
        }
      }
    }
    return values;
  };
  c["tailPnl"] = tail(K, 1);
  c["tailRestPnl"] = tail(K, M);
  c["scenarioCount"] = D;
  c["tailSize"] = K;
  c["spreadVolatility"] = o.coarseValues ? 0.0 : uniform(0, 0.6);
  c["market1Volatility"] = o.coarseValues ? 0.0 : uniform(0, 0.3);
  c["market2Volatility"] = o.coarseValues ? 0.0 : uniform(0, 0.3);
  c["recoveryMeanA"] = o.coarseValues ? 0.5 : uniform(0, 0.7);
  c["recoveryMeanB"] = o.coarseValues ? 0.5 : uniform(0, 0.7);
  c["seed"] = static_cast<std::uint32_t>(random());
  // Replace the non-finite doubles nlohmann cannot write with their strings.
  for (auto& [key, value] : c.items()) {
    if (!value.is_array()) continue;
    for (auto& element : value) {
      if (element.is_number_float() && !std::isfinite(element.get<double>())) {
        const double x = element.get<double>();
        element = std::isnan(x) ? "NaN" : (x > 0 ? "Infinity" : "-Infinity");
      }
    }
  }
  cli::HostCase hostCase = cli::ParseCase(c);
  // The factor, as a host would pass it.
  FactorCorrelation(N, hostCase.correlation->data(), hostCase.Doubles("factor").data());
  hostCase.correlation.reset();
  return hostCase;
}

}  // namespace creditsim::testing
