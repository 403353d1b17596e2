// The exported C entry points. Each one resolves the host's descriptors,
// validates the whole call, and only then runs it; no exception crosses this
// boundary.
#include <cstring>

#include "creditsim/creditsim.h"
#include "creditsim/creditsim.hpp"
#include "creditsim/shards.hpp"
#include "interface/host_array.hpp"
#include "interface/last_error.hpp"
#include "interface/messages.hpp"
#include "interface/run_simulation_call.hpp"
#include "interface/simulation_validation.hpp"
#include "numerics/correlation_factor.hpp"

struct creditsim_cancel_token {
  creditsim::CancelToken token;
};

namespace creditsim {
namespace {

SimulationOptions OptionsFromC(const creditsim_options* c) {
  SimulationOptions options;
  if (c == nullptr) return options;
  if (c->structSize < sizeof(creditsim_options)) {
    throw Error(CREDITSIM_ERROR_OPTION, Message("options: structSize is ", c->structSize, ", needs ",
                                                sizeof(creditsim_options)));
  }
  if (c->engine != CREDITSIM_ENGINE_DEFAULT && c->engine != CREDITSIM_ENGINE_REFERENCE) {
    throw Error(CREDITSIM_ERROR_OPTION, Message("options: engine ", c->engine, " is not a known engine"));
  }
  if (c->hasSeed) options.seed = c->seed;
  options.pace = c->pace != 0;
  options.terminalProgress = c->terminalProgress != 0;
  options.engine = c->engine == CREDITSIM_ENGINE_REFERENCE ? Engine::Reference : Engine::Fast;
  if (c->cancel != nullptr) options.cancel = &c->cancel->token;
  if (c->progress != nullptr) {
    options.progress = [fn = c->progress, context = c->progressContext](ProgressEvent event, std::int32_t done,
                                                                        std::int32_t total) {
      return fn(context, static_cast<int>(event), done, total) != 0;
    };
  }
  return options;
}

}  // namespace
}  // namespace creditsim

using namespace creditsim;

extern "C" {

const char* creditsim_last_error(void) { return LastError(); }

const char* creditsim_version(void) { return CREDITSIM_VERSION_STRING; }

creditsim_cancel_token* creditsim_cancel_token_create(void) { return new (std::nothrow) creditsim_cancel_token; }
void creditsim_cancel_token_request(creditsim_cancel_token* token) {
  if (token != nullptr) token->token.Request();
}
void creditsim_cancel_token_destroy(creditsim_cancel_token* token) { delete token; }

int Correl(HostArray** correlation, HostArray** factor) {
  return GuardedCall([&] {
    const auto input = ElementsOf<const double>(correlation, "correlation");
    const auto output = ElementsOf<double>(factor, "factor");
    const std::int32_t n = CountOf(**correlation);
    ValidateCorrelation(n, input.size(), output.size());
    FactorCorrelation(n, input.data(), output.data());
    return CREDITSIM_OK;
  });
}

int SimulateWithOptions(HostArray** factor, HostArray** issuerPercentile, HostArray** issuerShock,
                        HostArray** issuerRating, HostArray** migrationThreshold, HostArray** issuerNewRating,
                        HostArray** assetIssuer, HostArray** assetFace, HostArray** assetValue,
                        HostArray** spreadTable, HostArray** assetTenorLow, HostArray** assetTenorHigh,
                        HostArray** assetTenorWeight, HostArray** assetDuration, HostArray** assetKind,
                        HostArray** assetSpread, HostArray** assetNewSpread, HostArray** assetPnl,
                        HostArray** tailPnl, HostArray** tailAssetPnl, HostArray** tailRating,
                        HostArray** tailMultiplier, HostArray** scenarioPnl, HostArray** assetRestPnl,
                        HostArray** tailRestPnl, int32_t scenarioCount, int32_t tailSize, double spreadVolatility,
                        double market1Volatility, double market2Volatility, double recoveryMeanA,
                        double recoveryMeanB, const creditsim_options* options) {
  return GuardedCall([&] {
    SimulationArrays arrays;
    arrays.factor = ElementsOf<const double>(factor, "factor");
    arrays.issuerPercentile = ElementsOf<double>(issuerPercentile, "issuerPercentile");
    arrays.issuerShock = ElementsOf<double>(issuerShock, "issuerShock");
    arrays.issuerRating = ElementsOf<const std::int16_t>(issuerRating, "issuerRating");
    arrays.migrationThreshold = ElementsOf<const double>(migrationThreshold, "migrationThreshold");
    arrays.issuerNewRating = ElementsOf<std::int16_t>(issuerNewRating, "issuerNewRating");
    arrays.assetIssuer = ElementsOf<const std::int16_t>(assetIssuer, "assetIssuer");
    arrays.assetFace = ElementsOf<const double>(assetFace, "assetFace");
    arrays.assetValue = ElementsOf<const double>(assetValue, "assetValue");
    arrays.spreadTable = ElementsOf<const double>(spreadTable, "spreadTable");
    arrays.assetTenorLow = ElementsOf<const std::int16_t>(assetTenorLow, "assetTenorLow");
    arrays.assetTenorHigh = ElementsOf<const std::int16_t>(assetTenorHigh, "assetTenorHigh");
    arrays.assetTenorWeight = ElementsOf<const double>(assetTenorWeight, "assetTenorWeight");
    arrays.assetDuration = ElementsOf<const double>(assetDuration, "assetDuration");
    arrays.assetKind = ElementsOf<const std::int16_t>(assetKind, "assetKind");
    arrays.assetSpread = ElementsOf<const double>(assetSpread, "assetSpread");
    arrays.assetNewSpread = ElementsOf<double>(assetNewSpread, "assetNewSpread");
    arrays.assetPnl = ElementsOf<double>(assetPnl, "assetPnl");
    arrays.tailPnl = ElementsOf<double>(tailPnl, "tailPnl");
    arrays.tailAssetPnl = ElementsOf<double>(tailAssetPnl, "tailAssetPnl");
    arrays.tailRating = ElementsOf<std::int16_t>(tailRating, "tailRating");
    arrays.tailMultiplier = ElementsOf<double>(tailMultiplier, "tailMultiplier");
    arrays.scenarioPnl = ElementsOf<double>(scenarioPnl, "scenarioPnl");
    arrays.assetRestPnl = ElementsOf<double>(assetRestPnl, "assetRestPnl");
    arrays.tailRestPnl = ElementsOf<double>(tailRestPnl, "tailRestPnl");

    SimulationParameters parameters;
    parameters.scenarioCount = scenarioCount;
    parameters.tailSize = static_cast<std::int16_t>(static_cast<std::uint16_t>(tailSize));  // low 16 bits
    parameters.spreadVolatility = spreadVolatility;
    parameters.market1Volatility = market1Volatility;
    parameters.market2Volatility = market2Volatility;
    parameters.recoveryMeanA = recoveryMeanA;
    parameters.recoveryMeanB = recoveryMeanB;

    const SimulationOptions runOptions = OptionsFromC(options);
    const SimulationRun run = ValidateSimulation(arrays, parameters, CountOf(**factor), CountOf(**assetFace));
    SimulationOutcome outcome;
    if (options != nullptr && options->shards > 0) {
      // The C++ sharded call takes N from issuerRating and M from assetFace.
      arrays.issuerRating = arrays.issuerRating.first(static_cast<std::size_t>(run.issuerCount));
      arrays.assetFace = arrays.assetFace.first(static_cast<std::size_t>(run.assetCount));
      outcome = SimulateSharded(arrays, parameters, {options->shards, options->threads}, runOptions);
    } else {
      outcome = RunSimulationCall(run, runOptions);
    }
    if (options != nullptr && options->seedUsed != nullptr) *options->seedUsed = outcome.seed;
    return outcome.cancelled ? CREDITSIM_CANCELLED : CREDITSIM_OK;
  });
}

int Simulate(HostArray** factor, HostArray** issuerPercentile, HostArray** issuerShock, HostArray** issuerRating,
             HostArray** migrationThreshold, HostArray** issuerNewRating, HostArray** assetIssuer,
             HostArray** assetFace, HostArray** assetValue, HostArray** spreadTable, HostArray** assetTenorLow,
             HostArray** assetTenorHigh, HostArray** assetTenorWeight, HostArray** assetDuration,
             HostArray** assetKind, HostArray** assetSpread, HostArray** assetNewSpread, HostArray** assetPnl,
             HostArray** tailPnl, HostArray** tailAssetPnl, HostArray** tailRating, HostArray** tailMultiplier,
             HostArray** scenarioPnl, HostArray** assetRestPnl, HostArray** tailRestPnl, int32_t scenarioCount,
             int32_t tailSize, double spreadVolatility, double market1Volatility, double market2Volatility,
             double recoveryMeanA, double recoveryMeanB) {
  return SimulateWithOptions(factor, issuerPercentile, issuerShock, issuerRating, migrationThreshold,
                             issuerNewRating, assetIssuer, assetFace, assetValue, spreadTable, assetTenorLow,
                             assetTenorHigh, assetTenorWeight, assetDuration, assetKind, assetSpread,
                             assetNewSpread, assetPnl, tailPnl, tailAssetPnl, tailRating, tailMultiplier,
                             scenarioPnl, assetRestPnl, tailRestPnl, scenarioCount, tailSize, spreadVolatility,
                             market1Volatility, market2Volatility, recoveryMeanA, recoveryMeanB, nullptr);
}

}  // extern "C"
