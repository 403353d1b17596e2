// Reading a portfolio directory: the conversions it makes (transition
// matrix to thresholds, maturity to tenor rows, sector model to matrix),
// the bundled sample, and every kind of input error with its file and line.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <unistd.h>

#include "exit_codes.hpp"
#include "portfolio/correlation_input.hpp"
#include "portfolio/load_portfolio.hpp"
#include "portfolio/migration_table.hpp"
#include "portfolio/spread_curves.hpp"
#include "support/small_portfolio.hpp"

namespace creditsim::cli {
namespace {

namespace fs = std::filesystem;
using ::testing::HasSubstr;

TEST(TransitionToThresholds, SumsFromDefaultUpwardsInOrder) {
  std::vector<TransitionRow> rows(7, TransitionRow{1, 0, 0, 0, 0, 0, 0, 0});
  rows[3] = {0.0002, 0.0033, 0.0595, 0.8693, 0.0530, 0.0117, 0.0012, 0.0018};  // BBB
  const auto t = ThresholdsFromTransition(rows);
  const auto at = [&](int r, int k) { return t[(k - 1) * 7 + (r - 1)]; };
  // T(r, k) = P(worse than k), accumulated from default upwards.
  const double t7 = 0.0018, t6 = t7 + 0.0012, t5 = t6 + 0.0117, t4 = t5 + 0.0530, t3 = t4 + 0.8693,
               t2 = t3 + 0.0595, t1 = t2 + 0.0033;
  EXPECT_EQ(at(4, 7), t7);
  EXPECT_EQ(at(4, 6), t6);
  EXPECT_EQ(at(4, 5), t5);
  EXPECT_EQ(at(4, 4), t4);
  EXPECT_EQ(at(4, 3), t3);
  EXPECT_EQ(at(4, 2), t2);
  EXPECT_EQ(at(4, 1), t1);
  EXPECT_NEAR(at(4, 4), 0.0677, 1e-15);  // BB + B + CCC + D
  EXPECT_NEAR(at(4, 1), 0.9998, 1e-15);  // everything but AAA
  // A grade that always stays: nothing is worse than AAA for AAA... only
  // the grades below it, which are all zero.
  EXPECT_EQ(at(1, 1), 0.0);
}

TEST(MaturityOnTenorGrid, GridPointsAndBetween) {
  const std::vector<double> grid = {1, 2, 3, 5, 7, 10, 30};
  struct Case {
    double maturity;
    int low, high;
    double weight;
  } cases[] = {{1, 0, 0, 0},   {5, 3, 3, 0},       {30, 6, 6, 0},       {4, 2, 3, 0.5},
               {1.5, 0, 1, 0.5}, {20, 5, 6, 0.5}, {8, 4, 5, 1.0 / 3.0}, {29.99, 5, 6, (29.99 - 10) / 20}};
  for (const Case& c : cases) {
    const auto position = LocateMaturity(grid, c.maturity);
    ASSERT_TRUE(position) << c.maturity;
    EXPECT_EQ(position->low, c.low) << c.maturity;
    EXPECT_EQ(position->high, c.high) << c.maturity;
    EXPECT_EQ(position->weight, c.weight) << c.maturity;
  }
  for (double outside : {0.5, 0.999, 30.01, -1.0}) EXPECT_FALSE(LocateMaturity(grid, outside)) << outside;
}

TEST(CorrelationCheck, FindsTheFirstIssuerWithoutAPositivePivot) {
  EXPECT_FALSE(FirstNonPositivePivot({1, 0.5, 0.5, 1}, 2));
  EXPECT_EQ(FirstNonPositivePivot({1, 1, 1, 1}, 2), 1u);  // singular
  // Pairwise fine, jointly impossible: x and y close to z but opposed.
  EXPECT_EQ(FirstNonPositivePivot({1, -0.9, 0.9, -0.9, 1, 0.9, 0.9, 0.9, 1}, 3), 2u);
}

TEST(PortfolioReader, ReadsTheBundledSample) {
  const Portfolio sample = LoadPortfolio(CREDITSIM_TEST_DATA "/../../examples/sample-portfolio");
  EXPECT_EQ(sample.issuers.size(), 300u);
  EXPECT_EQ(sample.assets.size(), 3000u);
  EXPECT_EQ(sample.tenors, (std::vector<double>{1, 2, 3, 5, 7, 10, 30}));
  EXPECT_EQ(sample.spreadTable.size(), 7u * 33);
  EXPECT_EQ(sample.spreadTable[3 * 33 + 8 + 4], 95 * 1.5);  // subordinated BBB at 5y
  EXPECT_NEAR(sample.thresholds[6 * 7 + 6], 0.1979, 1e-15);  // T(CCC, CCC) = default
  EXPECT_EQ(sample.correlation.size(), 300u * 300);
}

class PortfolioErrors : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::temp_directory_path() / ("creditsim-portfolio-" + std::to_string(::getpid()));
    fs::remove_all(dir_);
  }
  void TearDown() override { fs::remove_all(dir_); }
  // Loads the small portfolio with `file` replaced; returns the error text.
  std::string ErrorsWith(const std::string& file, const std::string& content) {
    testing::SmallPortfolio portfolio;
    portfolio.files[file] = content;
    portfolio.WriteTo(dir_);
    try {
      LoadPortfolio(dir_.string());
    } catch (const CliError& error) {
      EXPECT_EQ(error.exitCode, kExitBadInput);
      return error.what();
    }
    return "(no error)";
  }
  std::string Path(const std::string& file) const { return (dir_ / file).string(); }
  fs::path dir_;
};

TEST_F(PortfolioErrors, TheSmallPortfolioIsValid) {
  testing::SmallPortfolio().WriteTo(dir_);
  const Portfolio portfolio = LoadPortfolio(dir_.string());
  ASSERT_EQ(portfolio.assets.size(), 4u);
  EXPECT_EQ(portfolio.assets[0].tenorLow, 1);  // 5y on the 1y, 5y, 10y grid
  EXPECT_EQ(portfolio.assets[1].tenorHigh, 1);
  EXPECT_EQ(portfolio.assets[1].tenorWeight, 0.5);  // 3y: halfway from 1y to 5y
  EXPECT_EQ(portfolio.assets[3].kind, 33);
}

TEST_F(PortfolioErrors, EachErrorNamesItsFileAndLine) {
  const std::string assetsHeader = "id,issuer,kind,face,value,spread,duration,maturity\n";
  struct Case {
    const char* file;
    std::string content;
    std::string message;  // after "file:"
  } cases[] = {
      {"assets.csv", assetsHeader + "A1,ALPHA,senior,100,99,150,4.2,5\nA2,NOBODY,senior,1,1,1,1,5\n",
       "3: unknown issuer id 'NOBODY'"},
      {"assets.csv", assetsHeader + "A1,ALPHA,senior,100,99,150,4.2,5\nA1,BETA,senior,1,1,1,1,5\n",
       "3: duplicate asset id 'A1'"},
      {"assets.csv", assetsHeader + "A1,ALPHA,senior,-100,99,150,4.2,5\n", "2: negative face -100"},
      {"assets.csv", assetsHeader + "A1,ALPHA,senior,100,99,150,4.2,12\n",
       "2: maturity 12 years is outside the tenor grid (1 to 10 years)"},
      {"assets.csv", "id,issuer,kind,face,value,spread,duration\nA1,ALPHA,senior,100,99,150,4.2\n",
       "2: give a maturity, or tenor_low, tenor_high and tenor_weight"},
      {"assets.csv", "id,issuer,face,value\nA1,ALPHA,100,99\n", "1: missing column 'kind'"},
      {"assets.csv", assetsHeader + "A1,ALPHA,bond,100,99,150,4.2,5\n", "2: kind 'bond' is not senior"},
      {"assets.csv", assetsHeader + "A1,ALPHA,senior,100,99,150,4.2\n", "2: too few fields"},
      {"issuers.csv", "id,rating\nALPHA,BBB\nALPHA,A\nBETA,BB\nGAMMA,0\n", "3: duplicate issuer id 'ALPHA'"},
      {"issuers.csv", "id,rating\nALPHA,BBB\nBETA,Baa2\nGAMMA,0\n", "3: rating 'Baa2' is not a grade"},
      {"transition.csv",
       "from,AAA,AA,A,BBB,BB,B,CCC,D\nAAA,90.81,8.33,0.68,0.06,0.12,0,0,0\nAA,0.70,90.65,7.79,0.64,0.06,0.14,0.02,0\n"
       "A,0.09,2.27,91.05,5.52,0.74,0.26,0.01,0.06\nBBB,0.02,0.33,5.95,86.93,5.30,1.17,0.12,1.18\n"
       "BB,0.03,0.14,0.67,7.73,80.53,8.84,1.00,1.06\nB,0,0.11,0.24,0.43,6.48,83.46,4.07,5.20\n"
       "CCC,0.22,0,0.22,1.30,2.38,11.24,64.86,19.79\n",
       "5: the row of BBB sums to 101 %, not 100 within 0.05"},
      {"transition.csv", "from,AAA,AA,A,BBB,BB,B,CCC,D\nAAA,100,0,0,0,0,0,0,0\n", " no row for grade AA"},
      {"correlation.csv", "id,ALPHA,BETA,GAMMA\nALPHA,1,0.9,0.9\nBETA,0.9,1,-0.9\nGAMMA,0.9,-0.9,1\n",
       "4: the correlation matrix is not positive definite (it fails at issuer 'GAMMA')"},
      {"correlation.csv", "id,ALPHA,BETA,GAMMA\nALPHA,1,0.3,0.2\nBETA,0.3,1,0.25\nDELTA,0.2,0.25,1\n",
       "4: unknown issuer id 'DELTA'"},
      {"correlation.csv", "id,ALPHA,BETA,GAMMA\nALPHA,1,0.3,0.2\nBETA,0.4,1,0.25\nGAMMA,0.2,0.25,1\n",
       "3: not symmetric"},
      {"spreads.csv", "class,grade,1y,5y,10y\nsenior,AAA,5,10\n", "2: 4 fields where the header has 5"},
      {"spreads.csv", "class,grade,1y,10y,5y\n", "1: tenors must increase"},
      {"portfolio.toml", "[simulation]\nscenarios = 0\n[recovery]\nmean_a = 0.4\nmean_b = 0.5\n[files]\n"
                         "transition = \"transition.csv\"\ncorrelation = \"correlation.csv\"\n",
       "2: [simulation] scenarios must be a whole number from 1"},
      {"portfolio.toml", "[simulation]\nscenarois = 10\n[recovery]\nmean_a = 0.4\nmean_b = 0.5\n[files]\n"
                         "transition = \"transition.csv\"\ncorrelation = \"correlation.csv\"\n",
       "2: unknown setting 'scenarois' in [simulation]"},
      {"portfolio.toml", "[simulation\n", "1: "},
      {"portfolio.toml", "[recovery]\nmean_a = 0.4\nmean_b = 0.5\n[files]\ntransition = \"transition.csv\"\n"
                         "[correlation]\nwithin_sector = -0.5\nbetween_sectors = 0.9\n",
       "6: the sector model gives a correlation matrix that is not positive definite"},
  };
  for (const Case& c : cases) {
    EXPECT_THAT(ErrorsWith(c.file, c.content), HasSubstr(Path(c.file) + ":" + c.message)) << c.file << "\n" << c.content;
  }
}

TEST_F(PortfolioErrors, SeveralProblemsAreReportedAtOnce) {
  const std::string errors = ErrorsWith("assets.csv",
                                        "id,issuer,kind,face,value,spread,duration,maturity\n"
                                        "A1,NOBODY,senior,100,99,150,4.2,5\n"
                                        "A2,ALPHA,senior,-1,99,150,4.2,50\n");
  EXPECT_THAT(errors, HasSubstr("3 problems"));
  EXPECT_THAT(errors, HasSubstr("assets.csv:2: unknown issuer id 'NOBODY'"));
  EXPECT_THAT(errors, HasSubstr("assets.csv:3: negative face -1"));
  EXPECT_THAT(errors, HasSubstr("assets.csv:3: maturity 50 years is outside"));
}

TEST_F(PortfolioErrors, SectorModelNeedsSectorsAndKnownPairs) {
  testing::SmallPortfolio portfolio;
  portfolio.files["portfolio.toml"] =
      "[recovery]\nmean_a = 0.4\nmean_b = 0.5\n[files]\ntransition = \"transition.csv\"\n"
      "[correlation]\nwithin_sector = 0.3\nbetween_sectors = 0.1\npairs = \"pairs.csv\"\n";
  portfolio.files["pairs.csv"] = "sector_a,sector_b,correlation\nbanks,energy,0.2\nbanks,mining,0.1\n";
  portfolio.WriteTo(dir_);
  try {
    LoadPortfolio(dir_.string());
    FAIL() << "no error";
  } catch (const CliError& error) {
    EXPECT_THAT(error.what(), HasSubstr(Path("pairs.csv") + ":3: unknown sector 'mining'"));
  }
  portfolio.files["pairs.csv"] = "sector_a,sector_b,correlation\nenergy,banks,0.2\n";
  portfolio.WriteTo(dir_);
  const Portfolio loaded = LoadPortfolio(dir_.string());
  EXPECT_EQ(loaded.correlation, (std::vector<double>{1, 0.2, 0.2, 0.2, 1, 0.3, 0.2, 0.3, 1}));
}

}  // namespace
}  // namespace creditsim::cli
