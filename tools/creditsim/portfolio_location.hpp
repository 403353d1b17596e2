// Where `creditsim run` and `check` find a portfolio when none is named:
// the bundled sample, looked up beside the working directory first (a
// checkout) and then in the source tree the program was built from.
#pragma once

#include <string>

namespace creditsim::cli {

std::string DefaultPortfolioDirectory();

}  // namespace creditsim::cli
