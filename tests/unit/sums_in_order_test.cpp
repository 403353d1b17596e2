// Interleaved chains of additions against one chain at a time, on values
// where any change of order shows: large cancellations, -0.0, NaN, infinity.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <random>
#include <vector>

#include "simulation/sums_in_order.hpp"
#include "support/bit_equal.hpp"

namespace creditsim {
namespace {

TEST(SumsInOrder, InterleavedChainsEqualOneChainAtATime) {
  std::mt19937_64 random(3);
  const double specials[] = {-0.0, 1e300, -1e300, std::numeric_limits<double>::infinity(),
                             std::numeric_limits<double>::quiet_NaN()};
  for (int count = 1; count <= 6; ++count) {
    std::vector<std::vector<double>> rows(static_cast<std::size_t>(count));
    std::vector<const double*> pointers;
    for (int r = 0; r < count; ++r) {
      for (int i = 0; i < 257; ++i) {
        const double x = std::ldexp(std::uniform_real_distribution<double>(-1, 1)(random), static_cast<int>(random() % 80));
        rows[r].push_back(random() % 50 == 0 ? specials[random() % (r == 0 ? 3 : 5)] : x);
      }
      pointers.push_back(rows[r].data());
    }
    std::vector<double> together(static_cast<std::size_t>(count)), alone;
    SumsInOrder(pointers.data(), count, 257, together.data());
    for (const auto& row : rows) alone.push_back(SumInOrder(row.data(), 257));
    EXPECT_TRUE(testing::BitEqual(together, alone)) << count << " rows";
  }
}

}  // namespace
}  // namespace creditsim
