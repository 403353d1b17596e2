// The step-by-step engine: each scenario runs the four stages in order
// directly on the host's arrays. It is the definition the fast engine is
// tested against.
#include "simulation/migrate_issuers.hpp"
#include "simulation/revalue_assets.hpp"
#include "simulation/scenario_engine.hpp"
#include "simulation/tail_store.hpp"

namespace creditsim {
namespace {

class ReferenceEngine final : public ScenarioEngine {
 public:
  ReferenceEngine(const SimulationRun& run, RandomSource& source) : run_(run), source_(source) {}

  void RunScenarios(std::int32_t first, std::int32_t last) override {
    for (std::int32_t s = first; s < last; ++s) {
      run_.scenarioPnl[s] = 0;
      MigrateIssuers(run_, source_);
      const ScenarioFactors factors = DrawSystematicFactors(run_, source_);
      RevalueAssets(run_, s, factors, source_);
      UpdateTailStore(run_, s, factors.spreadMultiplier);
    }
  }

  void Complete() override {}

 private:
  const SimulationRun& run_;
  RandomSource& source_;
};

}  // namespace

std::unique_ptr<ScenarioEngine> MakeReferenceEngine(const SimulationRun& run, RandomSource& source) {
  return std::make_unique<ReferenceEngine>(run, source);
}

}  // namespace creditsim
