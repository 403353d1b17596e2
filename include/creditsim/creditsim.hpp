// creditsim C++ interface.
//
// The same two operations as the C interface (creditsim.h), over spans of
// the caller's memory: nothing is copied, every array is read and written in
// place. Errors are thrown as creditsim::Error, whose status() is one of the
// CREDITSIM_* codes of the C interface; on an error nothing has been written.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <stdexcept>
#include <string>

#include "creditsim/creditsim.h"

namespace creditsim {

// A refused call: the message names the parameter and what is wrong.
class CREDITSIM_API Error : public std::runtime_error {
 public:
  Error(int status, const std::string& message) : std::runtime_error(message), status_(status) {}
  int status() const noexcept { return status_; }

 private:
  int status_;
};

// Turns the n x n correlation matrix into the triangular factor that
// Simulate expects. Only positions j*n + i with i >= j of `correlation` are
// read; every one of the first n*n positions of `factor` is written.
// `correlation` and `factor` may be the same memory.
CREDITSIM_API void Correl(std::int32_t n, std::span<const double> correlation, std::span<double> factor);

// The 25 arrays of a run, in flat-position order. Counts: N issuers is the
// size of `issuerRating`, M assets the size of `assetFace`; every other span
// must be at least as long as its role requires (N*N for `factor`, 49 for
// `migrationThreshold`, K*M for `tailAssetPnl`, ...).
struct SimulationArrays {
  std::span<const double> factor;
  std::span<double> issuerPercentile;
  std::span<double> issuerShock;
  std::span<const std::int16_t> issuerRating;
  std::span<const double> migrationThreshold;
  std::span<std::int16_t> issuerNewRating;
  std::span<const std::int16_t> assetIssuer;
  std::span<const double> assetFace;
  std::span<const double> assetValue;
  std::span<const double> spreadTable;
  std::span<const std::int16_t> assetTenorLow;
  std::span<const std::int16_t> assetTenorHigh;
  std::span<const double> assetTenorWeight;
  std::span<const double> assetDuration;
  std::span<const std::int16_t> assetKind;
  std::span<const double> assetSpread;
  std::span<double> assetNewSpread;
  std::span<double> assetPnl;
  std::span<double> tailPnl;
  std::span<double> tailAssetPnl;
  std::span<std::int16_t> tailRating;
  std::span<double> tailMultiplier;
  std::span<double> scenarioPnl;
  std::span<double> assetRestPnl;
  std::span<double> tailRestPnl;
};

// The seven scalars of a run.
struct SimulationParameters {
  std::int32_t scenarioCount = 0;
  std::int16_t tailSize = 0;
  double spreadVolatility = 0;
  double market1Volatility = 0;
  double market2Volatility = 0;
  double recoveryMeanA = 0;
  double recoveryMeanB = 0;
};

// A cancellation request that any thread may raise; a run sees it at its
// next progress check (every 100 scenarios).
class CREDITSIM_API CancelToken {
 public:
  void Request() noexcept { requested_.store(true, std::memory_order_relaxed); }
  bool Requested() const noexcept { return requested_.load(std::memory_order_relaxed); }
  void Reset() noexcept { requested_.store(false, std::memory_order_relaxed); }

 private:
  std::atomic<bool> requested_{false};
};

enum class Engine { Fast, Reference };

enum class ProgressEvent { Start, Report, Cancelled, Finish };

// Receives progress; returning true from a Report event asks the run to stop
// at that check.
using ProgressCallback = std::function<bool(ProgressEvent event, std::int32_t done, std::int32_t total)>;

struct SimulationOptions {
  std::optional<std::uint32_t> seed;  // empty: seed from the clock
  bool pace = false;                  // sleep in the progress pauses
  Engine engine = Engine::Fast;
  ProgressCallback progress;          // optional
  CancelToken* cancel = nullptr;      // optional
  bool terminalProgress = false;      // draw on stderr when it is a terminal
};

struct SimulationOutcome {
  std::uint32_t seed = 0;           // the seed the run used
  std::int32_t scenariosRun = 0;    // completed scenarios
  bool cancelled = false;
};

CREDITSIM_API SimulationOutcome Simulate(const SimulationArrays& arrays, const SimulationParameters& parameters,
                           const SimulationOptions& options = {});

}  // namespace creditsim
