// Case files are the interface of non-C hosts and of the conformance tests,
// so every malformed input gets a precise message instead of a crash.
#include "host_case.hpp"

#include <cmath>
#include <fstream>
#include <limits>
#include <sstream>

#include "json_numbers.hpp"

namespace creditsim::cli {

const std::array<const char*, kArrayCount> kArrayNames = {
    "factor",        "issuerPercentile", "issuerShock",    "issuerRating",     "migrationThreshold",
    "issuerNewRating", "assetIssuer",    "assetFace",      "assetValue",       "spreadTable",
    "assetTenorLow", "assetTenorHigh",   "assetTenorWeight", "assetDuration",  "assetKind",
    "assetSpread",   "assetNewSpread",   "assetPnl",       "tailPnl",          "tailAssetPnl",
    "tailRating",    "tailMultiplier",   "scenarioPnl",    "assetRestPnl",     "tailRestPnl"};

namespace {

enum ArrayIndex {
  kFactor = 0, kIssuerRating = 3, kAssetFace = 7, kSpreadTable = 9, kAssetTenorLow = 10, kAssetTenorHigh = 11,
  kAssetKind = 14, kTailPnl = 18, kTailAssetPnl = 19, kTailRating = 20, kTailMultiplier = 21, kScenarioPnl = 22,
  kTailRestPnl = 24
};

int IndexOf(const char* name) {
  for (int i = 0; i < kArrayCount; ++i) {
    if (std::string(kArrayNames[i]) == name) return i;
  }
  throw std::logic_error(std::string("unknown array ") + name);
}

std::int64_t ReadInteger(const nlohmann::json& value, const std::string& name, std::int64_t lo, std::int64_t hi) {
  if (!value.is_number_integer()) {
    throw InputError(name + ": expected an integer, found " + std::string(value.type_name()) + " " + value.dump());
  }
  const bool isUnsigned = value.is_number_unsigned();
  const std::uint64_t u = isUnsigned ? value.get<std::uint64_t>() : 0;
  const std::int64_t v = isUnsigned ? static_cast<std::int64_t>(u) : value.get<std::int64_t>();
  if ((isUnsigned && u > static_cast<std::uint64_t>(hi)) || v < lo || v > hi) {
    throw InputError(name + ": " + value.dump() + " is outside " + std::to_string(lo) + ".." + std::to_string(hi));
  }
  return v;
}

std::vector<std::int16_t> ReadInt16List(const nlohmann::json& value, const std::string& name) {
  if (!value.is_array()) throw InputError(name + ": expected an array, found " + value.type_name());
  std::vector<std::int16_t> out;
  out.reserve(value.size());
  for (std::size_t i = 0; i < value.size(); ++i) {
    out.push_back(static_cast<std::int16_t>(ReadInteger(value[i], name + "[" + std::to_string(i) + "]", -32768, 32767)));
  }
  return out;
}

double ReadScalar(const nlohmann::json& document, const char* name) {
  if (!document.contains(name)) throw InputError(std::string("missing key \"") + name + "\"");
  try {
    return ReadJsonDouble(document[name]);
  } catch (const std::invalid_argument& e) {
    throw InputError(std::string(name) + ": " + e.what());
  }
}

std::int64_t RequireInteger(const nlohmann::json& document, const char* name, std::int64_t lo, std::int64_t hi) {
  if (!document.contains(name)) throw InputError(std::string("missing key \"") + name + "\"");
  return ReadInteger(document[name], name, lo, hi);
}

// The least length of each array for the case's counts. For spreadTable:
// every tenor row that a credit asset names.
std::int64_t MinimumLength(const HostCase& c, int index, std::int64_t N, std::int64_t M) {
  const std::int64_t K = std::max<std::int64_t>(static_cast<std::int16_t>(static_cast<std::uint16_t>(c.tailSize)), 0);
  const std::int64_t D = std::max<std::int64_t>(c.scenarioCount, 0);
  switch (index) {
    case kFactor: return N * N;
    case 4: return 49;
    case kSpreadTable: {
      std::int64_t largest = 0;
      const auto& kinds = c.arrays[kAssetKind].ints;
      for (std::size_t a = 0; a < kinds.size(); ++a) {
        if (kinds[a] == 33 || kinds[a] == 34) continue;
        for (int t : {kAssetTenorLow, kAssetTenorHigh}) {
          const auto& rows = c.arrays[t].ints;
          if (a < rows.size()) largest = std::max<std::int64_t>(largest, rows[a]);
        }
      }
      return 33 * (1 + largest);
    }
    case kTailPnl: case kTailMultiplier: return K;
    case kTailAssetPnl: case kTailRestPnl: return K * M;
    case kTailRating: return K * N;
    case kScenarioPnl: return D;
    default: return index <= 5 ? N : M;  // issuer arrays come first, then asset arrays
  }
}

}  // namespace

std::int64_t IntegerSquareRoot(std::int64_t value) {
  auto root = static_cast<std::int64_t>(std::sqrt(static_cast<double>(value)));
  while (root * root > value) --root;
  while ((root + 1) * (root + 1) <= value) ++root;
  return root;
}

std::vector<double> ReadDoubleList(const nlohmann::json& value, const std::string& name) {
  if (!value.is_array()) throw InputError(name + ": expected an array, found " + value.type_name());
  std::vector<double> out;
  out.reserve(value.size());
  for (std::size_t i = 0; i < value.size(); ++i) {
    try {
      out.push_back(ReadJsonDouble(value[i]));
    } catch (const std::invalid_argument& e) {
      throw InputError(name + "[" + std::to_string(i) + "]: " + e.what());
    }
  }
  return out;
}

bool IsInt16Array(int index) {
  return index == 3 || index == 5 || index == 6 || index == 10 || index == 11 || index == 14 || index == 20;
}

std::vector<double>& HostCase::Doubles(const char* name) { return arrays[IndexOf(name)].doubles; }
std::vector<std::int16_t>& HostCase::Ints(const char* name) { return arrays[IndexOf(name)].ints; }

std::int32_t HostCase::IssuerCount() const {
  return static_cast<std::int32_t>(IntegerSquareRoot(static_cast<std::int64_t>(arrays[kFactor].doubles.size())));
}
std::int32_t HostCase::AssetCount() const { return static_cast<std::int32_t>(arrays[kAssetFace].doubles.size()); }

HostCase ParseCase(const nlohmann::json& document) {
  if (!document.is_object()) throw InputError(std::string("expected a JSON object, found ") + document.type_name());
  HostCase c;
  for (int i = 0; i < kArrayCount; ++i) {
    const char* name = kArrayNames[i];
    if (!document.contains(name)) continue;
    c.arrays[i].given = true;
    if (IsInt16Array(i)) {
      c.arrays[i].ints = ReadInt16List(document[name], name);
    } else {
      c.arrays[i].doubles = ReadDoubleList(document[name], name);
    }
  }
  if (document.contains("correlation")) c.correlation = ReadDoubleList(document["correlation"], "correlation");
  c.scenarioCount = static_cast<std::int32_t>(RequireInteger(document, "scenarioCount", INT32_MIN, INT32_MAX));
  c.tailSize = static_cast<std::int32_t>(RequireInteger(document, "tailSize", INT32_MIN, INT32_MAX));
  c.spreadVolatility = ReadScalar(document, "spreadVolatility");
  c.market1Volatility = ReadScalar(document, "market1Volatility");
  c.market2Volatility = ReadScalar(document, "market2Volatility");
  c.recoveryMeanA = ReadScalar(document, "recoveryMeanA");
  c.recoveryMeanB = ReadScalar(document, "recoveryMeanB");
  if (document.contains("seed")) c.seed = static_cast<std::uint32_t>(ReadInteger(document["seed"], "seed", 0, UINT32_MAX));
  if (document.contains("cancelAtCheck")) {
    c.cancelAtCheck = static_cast<int>(ReadInteger(document["cancelAtCheck"], "cancelAtCheck", 0, INT32_MAX));
  }
  if (document.contains("repeat")) c.repeat = static_cast<int>(ReadInteger(document["repeat"], "repeat", 1, 1000));

  // N comes from the factor, or from the correlation that stands in for it.
  const std::vector<double>& square = c.correlation ? *c.correlation : c.arrays[kFactor].doubles;
  const char* squareName = c.correlation ? "correlation" : "factor";
  const auto length = static_cast<std::int64_t>(square.size());
  const std::int64_t N = IntegerSquareRoot(length);
  if (N * N != length) {
    throw InputError(std::string(squareName) + ": holds " + std::to_string(length) +
                     " elements, which is not the square of an issuer count");
  }
  if (c.correlation && !c.arrays[kFactor].given) c.arrays[kFactor].doubles.assign(static_cast<std::size_t>(length), 0.0);
  const std::int64_t M = static_cast<std::int64_t>(c.arrays[kAssetFace].doubles.size());
  for (int i = 0; i < kArrayCount; ++i) {
    if (c.arrays[i].given) continue;
    const auto size = static_cast<std::size_t>(std::max<std::int64_t>(MinimumLength(c, i, N, M), 0));
    if (IsInt16Array(i)) {
      c.arrays[i].ints.assign(size, 0);
    } else if (i != kFactor || !c.correlation) {
      c.arrays[i].doubles.assign(size, 0.0);
    }
  }
  return c;
}

nlohmann::json ReadJsonFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) throw InputError("cannot open the file");
  std::ostringstream text;
  text << in.rdbuf();
  if (in.bad()) throw InputError("cannot read the file");
  try {
    return nlohmann::json::parse(text.str());
  } catch (const nlohmann::json::parse_error& e) {
    throw InputError(std::string("malformed JSON: ") + e.what());
  }
}

HostCase LoadCaseFile(const std::string& path) { return ParseCase(ReadJsonFile(path)); }

std::string CaseResultJson(const HostCase& c, std::uint32_t seed, bool cancelled) {
  std::string out = "{";
  for (int i = 0; i < kArrayCount; ++i) {
    out += '"';
    out += kArrayNames[i];
    out += "\":";
    if (IsInt16Array(i)) {
      AppendJsonIntArray(out, c.arrays[i].ints);
    } else {
      AppendJsonDoubleArray(out, c.arrays[i].doubles);
    }
    out += ",\n";
  }
  out += "\"seed\":" + std::to_string(seed);
  if (cancelled) out += ",\n\"cancelled\":true";
  out += "}\n";
  return out;
}

SimulationArrays ArraysOf(HostCase& c) {
  auto d = [&](int i) { return std::span<double>(c.arrays[i].doubles); };
  auto n = [&](int i) { return std::span<std::int16_t>(c.arrays[i].ints); };
  SimulationArrays a;
  a.factor = d(0);
  a.issuerPercentile = d(1);
  a.issuerShock = d(2);
  a.issuerRating = n(3);
  a.migrationThreshold = d(4);
  a.issuerNewRating = n(5);
  a.assetIssuer = n(6);
  a.assetFace = d(7);
  a.assetValue = d(8);
  a.spreadTable = d(9);
  a.assetTenorLow = n(10);
  a.assetTenorHigh = n(11);
  a.assetTenorWeight = d(12);
  a.assetDuration = d(13);
  a.assetKind = n(14);
  a.assetSpread = d(15);
  a.assetNewSpread = d(16);
  a.assetPnl = d(17);
  a.tailPnl = d(18);
  a.tailAssetPnl = d(19);
  a.tailRating = n(20);
  a.tailMultiplier = d(21);
  a.scenarioPnl = d(22);
  a.assetRestPnl = d(23);
  a.tailRestPnl = d(24);
  return a;
}

SimulationParameters ParametersOf(const HostCase& c) {
  SimulationParameters p;
  p.scenarioCount = c.scenarioCount;
  p.tailSize = static_cast<std::int16_t>(static_cast<std::uint16_t>(c.tailSize));
  p.spreadVolatility = c.spreadVolatility;
  p.market1Volatility = c.market1Volatility;
  p.market2Volatility = c.market2Volatility;
  p.recoveryMeanA = c.recoveryMeanA;
  p.recoveryMeanB = c.recoveryMeanB;
  return p;
}

namespace {

HostArray DescriptorOf(CaseArray& array, bool int16, std::int32_t squareExtent) {
  HostArray h{};
  h.elementType = int16 ? CREDITSIM_INT16 : CREDITSIM_DOUBLE;
  const std::size_t size = int16 ? array.ints.size() : array.doubles.size();
  h.data = int16 ? static_cast<void*>(array.ints.data()) : static_cast<void*>(array.doubles.data());
  if (squareExtent >= 0) {  // the factor: an N x N array whose dimension 1 gives N
    h.dimensionCount = 2;
    h.extent[0] = squareExtent;
    h.extent[1] = squareExtent;
  } else {
    h.dimensionCount = 1;
    h.extent[0] = static_cast<std::int32_t>(std::min<std::size_t>(size, INT32_MAX));
  }
  return h;
}

}  // namespace

CaseRunResult RunCase(HostCase& c, creditsim_options options) {
  CaseRunResult result;
  const std::int32_t N = c.correlation ? static_cast<std::int32_t>(IntegerSquareRoot(
                                             static_cast<std::int64_t>(c.correlation->size())))
                                       : c.IssuerCount();
  std::array<HostArray, kArrayCount> descriptors;
  std::array<HostArray*, kArrayCount> references;
  for (int i = 0; i < kArrayCount; ++i) {
    descriptors[i] = DescriptorOf(c.arrays[i], IsInt16Array(i), i == kFactor ? N : -1);
    references[i] = &descriptors[i];
  }
  if (c.correlation) {
    CaseArray correlationArray;
    correlationArray.doubles = *c.correlation;
    HostArray correlation = DescriptorOf(correlationArray, false, N);
    HostArray* correlationRef = &correlation;
    result.status = Correl(&correlationRef, &references[kFactor]);
    if (result.status != CREDITSIM_OK) {
      result.error = creditsim_last_error();
      return result;
    }
  }
  std::uint32_t seedUsed = 0;
  options.structSize = sizeof(creditsim_options);
  options.seedUsed = &seedUsed;
  if (c.seed && !options.hasSeed) {
    options.hasSeed = 1;
    options.seed = *c.seed;
  }
  HostArray** r = references.data();
  for (int call = 0; call < c.repeat; ++call) {
    result.status = SimulateWithOptions(
        &r[0], &r[1], &r[2], &r[3], &r[4], &r[5], &r[6], &r[7], &r[8], &r[9], &r[10], &r[11], &r[12], &r[13], &r[14],
        &r[15], &r[16], &r[17], &r[18], &r[19], &r[20], &r[21], &r[22], &r[23], &r[24], c.scenarioCount, c.tailSize,
        c.spreadVolatility, c.market1Volatility, c.market2Volatility, c.recoveryMeanA, c.recoveryMeanB, &options);
    if (result.status != CREDITSIM_OK && result.status != CREDITSIM_CANCELLED) {
      result.error = creditsim_last_error();
      return result;
    }
    result.seed = seedUsed;
    if (result.status == CREDITSIM_CANCELLED) {
      result.cancelled = true;
      break;
    }
  }
  return result;
}

}  // namespace creditsim::cli
