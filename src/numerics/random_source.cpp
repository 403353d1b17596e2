// Thread-local generator state, jump-ahead and the draw primitives.
#include "numerics/random_source.hpp"

#include "numerics/normal_distribution.hpp"

namespace creditsim {

RandomSource& ThreadRandomSource() {
  thread_local RandomSource source;
  return source;
}

void RandomSource::Advance(std::uint64_t steps) {
  // Accumulated map x -> accMul*x + accAdd, and the current power of the
  // one-step map x -> mul*x + add (which doubles at every bit of `steps`).
  std::uint32_t accMul = 1, accAdd = 0;
  std::uint32_t mul = kMultiplier, add = kIncrement;
  while (steps != 0) {
    if (steps & 1u) {
      accMul = accMul * mul;
      accAdd = accAdd * mul + add;
    }
    add = add * mul + add;  // (mul*x + add) applied twice: mul^2 x + (mul+1) add
    mul = mul * mul;
    steps >>= 1;
  }
  state_ = accMul * state_ + accAdd;
}

double NextUniform(RandomSource& source) { return UniformFromValue(source.Next()); }

double NormalDraw(RandomSource& source, double lo, double hi) {
  double u = NextUniform(source);
  if (u < lo) {
    u = lo;
  } else if (u > hi) {
    u = hi;
  }
  return InverseNormal(u);
}

}  // namespace creditsim
