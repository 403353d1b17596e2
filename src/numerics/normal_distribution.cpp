// Acklam's inverse normal and Cody's normal distribution function.
//
// The coefficient tables are written as the shortest decimals that convert to
// the intended doubles. Some constants are deliberately not the exact
// mathematical values (1.41421356 in place of sqrt(2), 0.564189584 in place of
// 1/sqrt(pi)): results depend on them to the last bit, so do not "improve"
// them.
#include "numerics/normal_distribution.hpp"

#include <cmath>
#include <cstddef>

namespace creditsim {
namespace {

// Horner evaluation (...((k0*v + k1)*v + k2)...)*v + km, one rounding per
// operation.
template <std::size_t Count>
double Horner(double v, const double (&k)[Count]) {
  double result = k[0];
  for (std::size_t i = 1; i < Count; ++i) {
    result = result * v;
    result = result + k[i];
  }
  return result;
}

// --- InverseNormal ----------------------------------------------------------
constexpr double kLowerBreak = 0.02425;
constexpr double kUpperBreak = 0.97575;
constexpr double kCentralNumerator[] = {-39.69683028665376, 220.9460984245205, -275.9285104469687,
                                        138.357751867269,   -30.66479806614716, 2.506628277459239};
constexpr double kCentralDenominator[] = {-54.47609879822406, 161.5858368580409, -155.6989798598866,
                                          66.80131188771972, -13.28068155288572};
constexpr double kTailNumerator[] = {-0.007784894002430293, -0.3223964580411365, -2.400758277161838,
                                     -2.549732539343734,    4.374664141464968,   2.938163982698783};
constexpr double kTailDenominator[] = {0.007784695709041462, 0.3224671290700398, 2.445134137142996,
                                       3.754408661907416};

double TailRatio(double q) {
  double denominator = Horner(q, kTailDenominator) * q;
  denominator = denominator + 1.0;
  return Horner(q, kTailNumerator) / denominator;
}

// --- NormalCdf ---------------------------------------------------------------
constexpr double kCentralBound = 0.66291260625;  // 0.46875 * 1.41421356
constexpr double kMiddleBound = 5.65685424;      // 4 * 1.41421356
constexpr double kScale = 1.41421356;
constexpr double kFarConstant = 0.564189584;
constexpr double kCdfCentralNumerator[] = {0.0116111066365377, 0.3951404679838207, 28.46603853776254,
                                           188.742618842651, 3209.377589138469};
constexpr double kCdfCentralDenominator[] = {0.1767766952966369, 8.34431643857962, 172.5514762600375,
                                             1813.893686502485, 8044.716608901563};
constexpr double kMiddleNumerator[] = {2.1531153547440383e-08, 0.5641884969886701, 8.883149794388377,
                                       66.11919063714163,      298.6351381974001,  881.952221241769,
                                       1712.0476126340707,     2051.0783778260716, 1230.3393547979972};
constexpr double kMiddleDenominator[] = {1.0,                15.744926110709835, 117.6939508913125,
                                         537.1811018620099,  1621.3895745666903, 3290.7992357334597,
                                         4362.619090143247,  3439.3676741437216, 1230.3393548037495};
constexpr double kFarNumerator[] = {0.016315387137302097, 0.30532663496123236, 0.36034489994980445,
                                    0.12578172611122926,  0.016083785148742275, 0.0006587491615298378};
constexpr double kFarDenominator[] = {1.0,                2.568520192289822,   1.8729528499234604,
                                      0.5279051029514285, 0.06051834131244132, 0.0023352049762686918};

// Phi(-y) for y outside the central region (y > kCentralBound, or NaN).
double LowerTail(double y, double s) {
  double z = std::exp(s * -0.5) * 0.5;
  if (y <= kMiddleBound) {
    const double t = y / kScale;
    return z * (Horner(t, kMiddleNumerator) / Horner(t, kMiddleDenominator));
  }
  const double zPrime = (z * kScale) / y;
  const double w = 2.0 / s;
  const double correction = (Horner(w, kFarNumerator) * w) / Horner(w, kFarDenominator);
  return zPrime * (kFarConstant - correction);
}

}  // namespace

double InverseNormal(double p) {
  if (p < kLowerBreak) {
    const double q = std::sqrt(std::log(p) * -2.0);
    return TailRatio(q);
  }
  if (p > kUpperBreak) {
    const double q = std::sqrt(std::log(1.0 - p) * -2.0);
    return -TailRatio(q);
  }
  const double q = p - 0.5;
  const double r = q * q;
  double denominator = Horner(r, kCentralDenominator) * r;
  denominator = denominator + 1.0;
  return (Horner(r, kCentralNumerator) * q) / denominator;
}

double NormalCdf(double x) {
  const double y = std::fabs(x);
  const double s = y * y;
  if (y <= kCentralBound) {
    return 0.5 + (x * Horner(s, kCdfCentralNumerator)) / Horner(s, kCdfCentralDenominator);
  }
  const double r = LowerTail(y, s);
  return x < 0 ? r : 1.0 - r;
}

}  // namespace creditsim
