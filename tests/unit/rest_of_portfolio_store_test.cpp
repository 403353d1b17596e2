// The rest-of-portfolio store merges waiting values in batches; its columns
// must end exactly as bounded insertion one value at a time leaves them. The
// values are drawn from a few that tie, with both zeros (equal, yet
// different bits) and now and then NaN, which turns a column unordered.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <random>
#include <vector>

#include "simulation/rest_of_portfolio_store.hpp"
#include "simulation/tail_store.hpp"
#include "support/bit_equal.hpp"

namespace creditsim {
namespace {

constexpr double kInf = std::numeric_limits<double>::infinity();

TEST(RestOfPortfolioStore, BatchedMergesEqualInsertionOneByOne) {
  std::mt19937_64 random(11);
  const double values[] = {-0.0, 0.0, -0.0, 0.0, -0.0, 0.0, -1.0, 1.0, kInf, -kInf};
  for (const int K : {1, 3, 8, 20}) {
    for (const bool withNaN : {false, true}) {
      const std::int32_t M = 3;
      // Asset 0 starts empty, asset 1 from an ordered column, asset 2 from
      // one out of order.
      std::vector<double> start(static_cast<std::size_t>(K) * M, kInf);
      for (int i = 0; i < K; ++i) {
        start[static_cast<std::size_t>(i) * M + 1] = i < K / 2 ? -3.0 + i : kInf;
        start[static_cast<std::size_t>(i) * M + 2] = i % 2 == 0 ? 5.0 : -5.0;
      }
      std::vector<double> batched = start, expected = start, assetRest(M), pnl(M);
      SimulationRun run;
      run.assetCount = M;
      run.tailSize = static_cast<std::int16_t>(K);
      run.tailRestPnl = batched.data();
      run.assetRestPnl = assetRest.data();
      RestOfPortfolioStore store;
      WorkingMemory counting;
      store.Allocate(counting, K, M);
      WorkingMemory memory(counting.Used());
      store.Allocate(memory, K, M);
      store.Load(run);
      for (int scenario = 0; scenario < 2 * K + 5; ++scenario) {
        // With L = -0.0, a P&L of -v gives the rest value v exactly, and a
        // P&L of +0.0 gives -0.0.
        for (std::int32_t a = 0; a < M; ++a) {
          double v = values[random() % std::size(values)];
          if (withNaN && random() % 40 == 0) v = std::numeric_limits<double>::quiet_NaN();
          pnl[a] = v == 0 && std::signbit(v) ? 0.0 : -v;
          InsertIntoTail(v, expected.data() + a, K, M);
        }
        store.Merge(run, -0.0, pnl.data());
      }
      store.WriteBack(run);
      EXPECT_TRUE(testing::BitEqual(batched, expected)) << "K " << K << (withNaN ? " with NaN" : "");
    }
  }
}

}  // namespace
}  // namespace creditsim
