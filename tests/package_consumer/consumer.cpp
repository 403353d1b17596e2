// Links against the installed package and factors a 2x2 matrix.
#include <creditsim/creditsim.hpp>

#include <cstdio>
#include <vector>

int main() {
  std::vector<double> correlation{1, 0.6, 0.6, 1}, factor(4);
  creditsim::Correl(2, correlation, factor);
  std::printf("creditsim %s: %g %g %g %g\n", creditsim_version(), factor[0], factor[1], factor[2], factor[3]);
  return factor[0] == 0.8 ? 0 : 1;
}
