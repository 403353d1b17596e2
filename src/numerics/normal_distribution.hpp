// Standard normal quantile and distribution function.
//
// Every scenario result passes through these two functions, so they are
// evaluated with fixed coefficient tables and a fixed order of operations:
// each product and sum is rounded on its own (the project is compiled with
// -ffp-contract=off), which makes the results identical on every machine
// that has the same libm exp and log.
#pragma once

namespace creditsim {

// Standard normal quantile of p in (0, 1), by Acklam's rational
// approximation without refinement. p = 0 or 1 give NaN, as does NaN.
double InverseNormal(double p);

// Standard normal distribution function, by Cody's rational approximations
// of erf/erfc recast for the normal distribution.
double NormalCdf(double x);

}  // namespace creditsim
