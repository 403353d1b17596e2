// A host in C++: the same portfolio as the C example through spans, with a
// progress callback that counts the checks.
#include <creditsim/creditsim.hpp>

#include <cstdio>
#include <vector>

int main() {
  constexpr int N = 2, M = 2, D = 1000, K = 5;
  std::vector<double> correlation{1.0, 0.3, 0.3, 1.0}, factor(N * N);
  creditsim::Correl(N, correlation, factor);

  std::vector<double> percentile(N), shock(N), thresholds(49);
  std::vector<std::int16_t> rating{4, 5}, newRating(N);
  std::vector<std::int16_t> issuer{0, 1}, tenorLow{0, 0}, tenorHigh{1, 1}, kind{1, 1};
  std::vector<double> face{100, 100}, value{98, 95}, weight{0.5, 0.5}, duration{4, 4};
  std::vector<double> spread{150, 350}, newSpread(M), pnl(M), restPnl(M), spreads(2 * 33);
  std::vector<double> tailPnl(K, 1e300), tailAssetPnl(K * M), tailMultiplier(K), tailRestPnl(K * M, 1e300);
  std::vector<double> scenarioPnl(D);
  std::vector<std::int16_t> tailRating(K * N);
  const double worseThan[7] = {0.99, 0.95, 0.85, 0.15, 0.05, 0.02, 0.01};
  for (int k = 0; k < 7; ++k)
    for (int r = 0; r < 7; ++r) thresholds[k * 7 + r] = worseThan[k];
  for (int row = 0; row < 2; ++row)
    for (int grade = 1; grade <= 7; ++grade) spreads[row * 33 + grade] = 20.0 * grade * grade + 10.0 * row;

  creditsim::SimulationArrays arrays{factor,     percentile,  shock,     rating,     thresholds, newRating,
                                     issuer,     face,        value,     spreads,    tenorLow,   tenorHigh,
                                     weight,     duration,    kind,      spread,     newSpread,  pnl,
                                     tailPnl,    tailAssetPnl, tailRating, tailMultiplier, scenarioPnl, restPnl,
                                     tailRestPnl};
  creditsim::SimulationParameters parameters{D, K, 0.2, 0.1, 0.1, 0.4, 0.4};
  int reports = 0;
  creditsim::SimulationOptions options;
  options.seed = 2024;
  options.progress = [&](creditsim::ProgressEvent event, std::int32_t, std::int32_t) {
    if (event == creditsim::ProgressEvent::Report) ++reports;
    return false;  // never cancel
  };
  try {
    const auto outcome = creditsim::Simulate(arrays, parameters, options);
    std::printf("%d scenarios, %d progress checks, worst P&L %.4f\n", outcome.scenariosRun, reports, tailPnl[0]);
  } catch (const creditsim::Error& e) {
    std::fprintf(stderr, "creditsim: %s\n", e.what());
    return 1;
  }
  return reports == 10 ? 0 : 1;
}
