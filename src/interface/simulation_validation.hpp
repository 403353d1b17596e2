// Every check a run needs before it may touch the host's arrays: lengths
// against N, M, D and K, and the values used as indexes.
#pragma once

#include <cstdint>

#include "creditsim/creditsim.hpp"
#include "simulation/simulation_run.hpp"

namespace creditsim {

inline constexpr std::int32_t kMaxIssuers = 32767;
inline constexpr std::int32_t kMaxAssets = 32767;

// Builds the SimulationRun of a call with N issuers and M assets, or throws
// Error naming the first parameter that is wrong.
SimulationRun ValidateSimulation(const SimulationArrays& arrays, const SimulationParameters& parameters,
                                 std::int32_t issuerCount, std::int32_t assetCount);

// The same for the C++ interface, whose counts are the span lengths: N of
// `issuerRating`, M of `assetFace`.
SimulationRun ValidateSimulation(const SimulationArrays& arrays, const SimulationParameters& parameters);

// Checks the arrays of a correlation factorisation of order n.
void ValidateCorrelation(std::int64_t n, std::size_t correlationSize, std::size_t factorSize);

}  // namespace creditsim
