// The 15-bit linear congruential generator behind every random value of a
// run, and the two draw primitives built on it.
//
// The recurrence is part of the model: any other generator changes every
// result, so it is spelled out here rather than taken from the platform.
#pragma once

#include <cstdint>

namespace creditsim {

class RandomSource {
 public:
  static constexpr std::uint32_t kMultiplier = 214013u;
  static constexpr std::uint32_t kIncrement = 2531011u;

  void Seed(std::uint32_t seed) { state_ = seed; }

  // state = state * 214013 + 2531011 (mod 2^32); the value is bits 16..30.
  int Next() {
    state_ = state_ * kMultiplier + kIncrement;
    return static_cast<int>((state_ >> 16) & 32767u);
  }

  std::uint32_t State() const { return state_; }

  // Moves the state `steps` values ahead in O(log steps) operations. The
  // recurrence is the affine map x -> a*x + c (mod 2^32); n steps are the
  // affine map composed with itself n times, built by repeated squaring.
  void Advance(std::uint64_t steps);

 private:
  std::uint32_t state_ = 1;  // a thread that never seeded starts here
};

// The calling thread's generator: one state per thread, so runs on
// different threads never interleave their sequences.
RandomSource& ThreadRandomSource();

// 2^-15: a 15-bit value k becomes the uniform k/32768 exactly.
inline constexpr double kUniformScale = 3.0517578125e-05;

inline double UniformFromValue(int value) { return value * kUniformScale; }

double NextUniform(RandomSource& source);

// Clamps the uniform to [lo, hi] (strict tests: a bound passes unchanged)
// and returns its normal quantile. Consumes exactly one value.
double NormalDraw(RandomSource& source, double lo, double hi);

// Bounds of the two kinds of normal draw.
inline constexpr double kIssuerShockLow = 0.00001;
inline constexpr double kIssuerShockHigh = 0.99999;
inline constexpr double kSystematicLow = 0.000001;
inline constexpr double kSystematicHigh = 0.999999;

}  // namespace creditsim
