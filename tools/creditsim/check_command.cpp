// creditsim check PORTFOLIO: reads and validates a portfolio without
// running it, and says what it holds. Every problem is reported as
// file:line: what, with exit status 2.
#include <iostream>
#include <memory>

#include "commands.hpp"
#include "exit_codes.hpp"
#include "portfolio/load_portfolio.hpp"
#include "portfolio_location.hpp"
#include "portfolio_simulation.hpp"

namespace creditsim::cli {
namespace {

int RunCheck(const std::string& directory) {
  const Portfolio portfolio = LoadPortfolio(directory);
  // Factoring the correlation matrix is part of the check: it is the one
  // input problem that only shows when the factor is built.
  (void)BuildSimulationInputs(portfolio, 1, 1);
  std::size_t marketPositions = 0, inactive = 0;
  for (const Asset& asset : portfolio.assets) marketPositions += asset.kind == kMarket1Kind || asset.kind == kMarket2Kind;
  for (const Issuer& issuer : portfolio.issuers) inactive += issuer.rating == 0;
  std::cout << directory << ": ok: " << portfolio.issuers.size() << " issuers (" << inactive << " inactive), "
            << portfolio.assets.size() << " positions (" << marketPositions << " market-factor), "
            << portfolio.tenors.size() << " tenors, " << portfolio.settings.scenarios << " scenarios\n";
  return kExitOk;
}

}  // namespace

void AddCheckCommand(CLI::App& app, CommandAction& action) {
  auto* command = app.add_subcommand("check", "Validate a portfolio directory without running it");
  auto directory = std::make_shared<std::string>();
  command->add_option("PORTFOLIO", *directory, "portfolio directory (default: the bundled sample)");
  command->callback([&action, directory] {
    action = [directory] { return RunCheck(directory->empty() ? DefaultPortfolioDirectory() : *directory); };
  });
}

}  // namespace creditsim::cli
