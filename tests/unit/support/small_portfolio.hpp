// A small valid portfolio directory (three issuers, four positions, a full
// correlation matrix) that tests write to disk, after replacing whichever
// file a case is about.
#pragma once

#include <filesystem>
#include <fstream>
#include <map>
#include <string>

namespace creditsim::testing {

inline std::string SmallSpreadCurves() {
  const char* classes[] = {"senior", "subordinated", "loan", "secured"};
  const char* grades[] = {"AAA", "AA", "A", "BBB", "BB", "B", "CCC"};
  std::string text = "class,grade,1y,5y,10y\n";
  for (int c = 0; c < 4; ++c) {
    for (int g = 0; g < 7; ++g) {
      const int base = 10 * (g + 1) * (g + 1) * (c + 1);
      text += std::string(classes[c]) + "," + grades[g] + "," + std::to_string(base) + "," +
              std::to_string(base + 20) + "," + std::to_string(base + 35) + "\n";
    }
  }
  return text;
}

struct SmallPortfolio {
  std::map<std::string, std::string> files = {
      {"portfolio.toml",
       "[simulation]\nscenarios = 2000\nseed = 7\n\n[volatility]\nspread = 0.2\nmarket1 = 0.2\nmarket2 = 0.1\n\n"
       "[recovery]\nmean_a = 0.45\nmean_b = 0.55\n\n"
       "[files]\ntransition = \"transition.csv\"\ncorrelation = \"correlation.csv\"\n"},
      {"issuers.csv", "id,rating,sector\nALPHA,BBB,banks\nBETA,BB,energy\nGAMMA,inactive,energy\n"},
      {"correlation.csv", "id,ALPHA,BETA,GAMMA\nALPHA,1,0.3,0.2\nBETA,0.3,1,0.25\nGAMMA,0.2,0.25,1\n"},
      {"transition.csv",
       "from,AAA,AA,A,BBB,BB,B,CCC,D\n"
       "AAA,90.81,8.33,0.68,0.06,0.12,0,0,0\n"
       "AA,0.70,90.65,7.79,0.64,0.06,0.14,0.02,0\n"
       "A,0.09,2.27,91.05,5.52,0.74,0.26,0.01,0.06\n"
       "BBB,0.02,0.33,5.95,86.93,5.30,1.17,0.12,0.18\n"
       "BB,0.03,0.14,0.67,7.73,80.53,8.84,1.00,1.06\n"
       "B,0,0.11,0.24,0.43,6.48,83.46,4.07,5.20\n"
       "CCC,0.22,0,0.22,1.30,2.38,11.24,64.86,19.79\n"},
      {"spreads.csv", SmallSpreadCurves()},
      {"assets.csv",
       "id,issuer,kind,face,value,spread,duration,maturity\n"
       "A1,ALPHA,senior,100,99,150,4.2,5\n"
       "A2,BETA,subordinated,50,48,400,3,3\n"
       "A3,GAMMA,loan,20,20,100,2,2\n"
       "M1,,market1,,30,,,\n"}};

  void WriteTo(const std::filesystem::path& directory) const {
    std::filesystem::create_directories(directory);
    for (const auto& [name, content] : files) std::ofstream(directory / name) << content;
  }
};

}  // namespace creditsim::testing
