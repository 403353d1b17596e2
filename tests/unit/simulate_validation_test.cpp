// Every refusal of a Simulate call names the parameter, the index and the
// value, and leaves every array untouched.
#include <gtest/gtest.h>

#include "host_case.hpp"
#include "interface/simulation_validation.hpp"

namespace creditsim {
namespace {

// Two issuers, three assets (one market-factor asset with nonsense issuer
// and tenor, which are never read), one tenor row, K = 2, D = 3.
const char* kValidCase = R"({
  "factor":[1,0,0,1],"issuerRating":[1,7],
  "assetFace":[1,1,1],"assetKind":[1,34,24],"assetIssuer":[0,-9,1],
  "assetTenorLow":[0,99,0],"assetTenorHigh":[0,-1,0],
  "scenarioCount":3,"tailSize":2,"spreadVolatility":0,"market1Volatility":0,
  "market2Volatility":0,"recoveryMeanA":0,"recoveryMeanB":0})";

struct Refusal {
  const char* name;
  const char* key;     // JSON key to replace
  const char* value;   // its new value
  int status;
  const char* message;
};

TEST(SimulateValidation, RefusalsNameTheParameterIndexAndValue) {
  const Refusal refusals[] = {
      {"rating above 7", "issuerRating", "[1,8]", CREDITSIM_ERROR_VALUE_RANGE, "issuerRating[1]: value 8 is outside 0..7"},
      {"negative rating", "issuerRating", "[-1,1]", CREDITSIM_ERROR_VALUE_RANGE, "issuerRating[0]: value -1 is outside 0..7"},
      {"issuer past N", "assetIssuer", "[0,0,2]", CREDITSIM_ERROR_VALUE_RANGE,
       "assetIssuer[2]: value 2 is not an issuer position 0..1"},
      {"tenor row past the table", "assetTenorHigh", "[0,0,1]", CREDITSIM_ERROR_VALUE_RANGE,
       "assetTenorHigh[2]: value 1 is not a row of spreadTable, which holds 1 row of 33"},
      {"short threshold table", "migrationThreshold", "[0.5]", CREDITSIM_ERROR_ARRAY_TOO_SHORT,
       "migrationThreshold: holds 1 elements, needs 49 for 7 x 7 thresholds"},
      {"short tail", "tailAssetPnl", "[0,0,0]", CREDITSIM_ERROR_ARRAY_TOO_SHORT,
       "tailAssetPnl: holds 3 elements, needs 6 for 2 tail slots of 3 assets"},
      {"short scenario array", "scenarioPnl", "[0]", CREDITSIM_ERROR_ARRAY_TOO_SHORT,
       "scenarioPnl: holds 1 elements, needs 3 for 3 scenarios"},
      {"short issuer array", "issuerShock", "[0]", CREDITSIM_ERROR_ARRAY_TOO_SHORT,
       "issuerShock: holds 1 elements, needs 2 for 2 issuers"},
  };
  for (const auto& r : refusals) {
    auto document = nlohmann::json::parse(kValidCase);
    document["spreadTable"] = std::vector<double>(33, 0.0);  // exactly one tenor row
    document[r.key] = nlohmann::json::parse(r.value);
    cli::HostCase c = cli::ParseCase(document);
    try {
      ValidateSimulation(cli::ArraysOf(c), cli::ParametersOf(c), c.IssuerCount(), c.AssetCount());
      ADD_FAILURE() << r.name << ": accepted";
    } catch (const Error& e) {
      EXPECT_EQ(e.status(), r.status) << r.name;
      EXPECT_STREQ(e.what(), r.message) << r.name;
    }
  }
}

TEST(SimulateValidation, AcceptsMarketFactorAssetsWithAnyIssuerAndTenor) {
  cli::HostCase c = cli::ParseCase(nlohmann::json::parse(kValidCase));
  EXPECT_NO_THROW(ValidateSimulation(cli::ArraysOf(c), cli::ParametersOf(c), 2, 3));
}

TEST(SimulateValidation, CountsAndTheCInterfaceLeaveEverythingUntouched) {
  auto document = nlohmann::json::parse(kValidCase);
  document["assetIssuer"] = nlohmann::json::parse("[0,0,5]");
  document["scenarioPnl"] = nlohmann::json::parse("[-7,-7,-7]");
  cli::HostCase c = cli::ParseCase(document);
  creditsim_options options{};
  options.hasSeed = 1;
  const auto result = cli::RunCase(c, options);
  EXPECT_EQ(result.status, CREDITSIM_ERROR_VALUE_RANGE);
  EXPECT_EQ(result.error, "assetIssuer[2]: value 5 is not an issuer position 0..1");
  EXPECT_EQ(c.Doubles("scenarioPnl"), (std::vector<double>{-7, -7, -7}));
  EXPECT_EQ(c.Doubles("assetPnl"), (std::vector<double>{0, 0, 0}));

  // N must be at least 1: an empty factor is refused.
  cli::HostCase empty = cli::ParseCase(nlohmann::json::parse(kValidCase));
  EXPECT_THROW(ValidateSimulation(cli::ArraysOf(empty), cli::ParametersOf(empty), 0, 3), Error);
}

TEST(SimulateValidation, DescriptorsAreChecked) {
  double data[4] = {1, 0, 0, 1};
  HostArray wrongType{CREDITSIM_INT16, 2, {2, 2}, data};
  HostArray* reference = &wrongType;
  HostArray* refs[25];
  for (auto& r : refs) r = reference;
  EXPECT_EQ(Simulate(&refs[0], &refs[1], &refs[2], &refs[3], &refs[4], &refs[5], &refs[6], &refs[7], &refs[8],
                     &refs[9], &refs[10], &refs[11], &refs[12], &refs[13], &refs[14], &refs[15], &refs[16], &refs[17],
                     &refs[18], &refs[19], &refs[20], &refs[21], &refs[22], &refs[23], &refs[24], 1, 1, 0, 0, 0, 0, 0),
            CREDITSIM_ERROR_ARRAY_TYPE);
  EXPECT_STREQ(creditsim_last_error(), "factor: holds 16-bit integers, needs doubles");
  HostArray* null = nullptr;
  refs[0] = null;
  EXPECT_EQ(Simulate(&refs[0], &refs[1], &refs[2], &refs[3], &refs[4], &refs[5], &refs[6], &refs[7], &refs[8],
                     &refs[9], &refs[10], &refs[11], &refs[12], &refs[13], &refs[14], &refs[15], &refs[16], &refs[17],
                     &refs[18], &refs[19], &refs[20], &refs[21], &refs[22], &refs[23], &refs[24], 1, 1, 0, 0, 0, 0, 0),
            CREDITSIM_ERROR_NULL_ARRAY);
  EXPECT_STREQ(creditsim_last_error(), "factor: no array given");
}

}  // namespace
}  // namespace creditsim
