// Normal draws: InverseNormal computed per draw against the lookup table.
#include <benchmark/benchmark.h>

#include "numerics/normal_draw_table.hpp"
#include "numerics/random_source.hpp"

namespace creditsim {
namespace {

void BM_NormalDrawComputed(benchmark::State& state) {
  RandomSource source;
  for (auto _ : state) benchmark::DoNotOptimize(NormalDraw(source, kIssuerShockLow, kIssuerShockHigh));
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_NormalDrawComputed);

void BM_NormalDrawTable(benchmark::State& state) {
  RandomSource source;
  const NormalDrawTable& table = IssuerShockTable();
  for (auto _ : state) benchmark::DoNotOptimize(table.Draw(source));
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_NormalDrawTable);

}  // namespace
}  // namespace creditsim
