#include "portfolio_location.hpp"

#include <filesystem>

namespace creditsim::cli {

std::string DefaultPortfolioDirectory() {
  const std::string relative = "examples/sample-portfolio";
  if (std::filesystem::is_directory(relative)) return relative;
#ifdef CREDITSIM_SAMPLE_PORTFOLIO
  if (std::filesystem::is_directory(CREDITSIM_SAMPLE_PORTFOLIO)) return CREDITSIM_SAMPLE_PORTFOLIO;
#endif
  return relative;
}

}  // namespace creditsim::cli
