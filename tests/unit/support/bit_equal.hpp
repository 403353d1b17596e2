// Bitwise comparison of result arrays: NaN equals NaN, -0.0 differs from
// +0.0, and the first differing position is reported.
#pragma once

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

namespace creditsim::testing {

inline bool SameDouble(double a, double b) {
  if (std::isnan(a) && std::isnan(b)) return true;
  std::uint64_t x, y;
  std::memcpy(&x, &a, sizeof x);
  std::memcpy(&y, &b, sizeof y);
  return x == y;
}

template <class T>
::testing::AssertionResult BitEqual(const std::vector<T>& actual, const std::vector<T>& expected) {
  if (actual.size() != expected.size()) {
    return ::testing::AssertionFailure() << "length " << actual.size() << " vs " << expected.size();
  }
  for (std::size_t i = 0; i < actual.size(); ++i) {
    bool same;
    if constexpr (std::is_floating_point_v<T>) {
      same = SameDouble(actual[i], expected[i]);
    } else {
      same = actual[i] == expected[i];
    }
    if (!same) {
      return ::testing::AssertionFailure() << "first difference at [" << i << "]: " << actual[i] << " vs "
                                           << expected[i];
    }
  }
  return ::testing::AssertionSuccess();
}

}  // namespace creditsim::testing
