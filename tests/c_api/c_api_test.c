/* The C interface seen from C: status codes, last-error messages, and that
 * a refused call writes nothing. */
#include <creditsim/creditsim.h>

#include <math.h>
#include <stdio.h>
#include <string.h>

static int failures = 0;
#define CHECK(cond)                                                  \
  do {                                                               \
    if (!(cond)) {                                                   \
      fprintf(stderr, "%s:%d: check failed: %s\n", __FILE__, __LINE__, #cond); \
      ++failures;                                                    \
    }                                                                \
  } while (0)

static HostArray doubles2(double* data, int32_t rows, int32_t columns) {
  HostArray a = {CREDITSIM_DOUBLE, 2, {rows, columns}, data};
  return a;
}

static void correl_factors_a_matrix(void) {
  double correlation[4] = {1, 0.6, 0.6, 1};
  double factor[4] = {-1, -1, -1, -1};
  HostArray in = doubles2(correlation, 2, 2), out = doubles2(factor, 2, 2);
  HostArray *inRef = &in, *outRef = &out;
  CHECK(Correl(&inRef, &outRef) == CREDITSIM_OK);
  CHECK(factor[0] == 0.8 && factor[1] == 0.6 && factor[2] == 0.0 && factor[3] == 1.0);
  CHECK(strcmp(creditsim_last_error(), "") == 0);
}

static void correl_refuses_a_short_factor(void) {
  double correlation[16] = {0};
  double factor[9] = {7, 7, 7, 7, 7, 7, 7, 7, 7};
  HostArray in = doubles2(correlation, 4, 4);
  HostArray out = {CREDITSIM_DOUBLE, 1, {9, 0}, factor};
  HostArray *inRef = &in, *outRef = &out;
  CHECK(Correl(&inRef, &outRef) == CREDITSIM_ERROR_ARRAY_TOO_SHORT);
  CHECK(strcmp(creditsim_last_error(), "factor: holds 9 elements, needs 16 for 4 issuers") == 0);
  for (int i = 0; i < 9; ++i) CHECK(factor[i] == 7);
  CHECK(Correl(NULL, &outRef) == CREDITSIM_ERROR_NULL_ARRAY);
}

static void simulate_runs_and_refuses(void) {
  double factor[1] = {1}, percentile[1], shock[1], thresholds[49] = {0};
  int16_t rating[1] = {3}, newRating[1];
  int16_t issuer[1] = {0}, low[1] = {0}, high[1] = {0}, kind[1] = {1};
  double face[1] = {100}, value[1] = {100}, spreads[33] = {0}, weight[1] = {0}, duration[1] = {3};
  double spread[1] = {50}, newSpread[1], pnl[1], scenarioPnl[5], restPnl[1];
  double tail[1], tailAsset[1], multiplier[1], tailRest[1];
  int16_t tailRating[1];
  HostArray a[25] = {
      {CREDITSIM_DOUBLE, 2, {1, 1}, factor}, {CREDITSIM_DOUBLE, 1, {1}, percentile},
      {CREDITSIM_DOUBLE, 1, {1}, shock},     {CREDITSIM_INT16, 1, {1}, rating},
      {CREDITSIM_DOUBLE, 1, {49}, thresholds}, {CREDITSIM_INT16, 1, {1}, newRating},
      {CREDITSIM_INT16, 1, {1}, issuer},     {CREDITSIM_DOUBLE, 1, {1}, face},
      {CREDITSIM_DOUBLE, 1, {1}, value},     {CREDITSIM_DOUBLE, 1, {33}, spreads},
      {CREDITSIM_INT16, 1, {1}, low},        {CREDITSIM_INT16, 1, {1}, high},
      {CREDITSIM_DOUBLE, 1, {1}, weight},    {CREDITSIM_DOUBLE, 1, {1}, duration},
      {CREDITSIM_INT16, 1, {1}, kind},       {CREDITSIM_DOUBLE, 1, {1}, spread},
      {CREDITSIM_DOUBLE, 1, {1}, newSpread}, {CREDITSIM_DOUBLE, 1, {1}, pnl},
      {CREDITSIM_DOUBLE, 1, {1}, tail},      {CREDITSIM_DOUBLE, 1, {1}, tailAsset},
      {CREDITSIM_INT16, 1, {1}, tailRating}, {CREDITSIM_DOUBLE, 1, {1}, multiplier},
      {CREDITSIM_DOUBLE, 1, {5}, scenarioPnl}, {CREDITSIM_DOUBLE, 1, {1}, restPnl},
      {CREDITSIM_DOUBLE, 1, {1}, tailRest}};
  HostArray* r[25];
  for (int i = 0; i < 25; ++i) r[i] = &a[i];
  for (int i = 0; i < 5; ++i) scenarioPnl[i] = -7;
  tail[0] = 1e300;
  tailRest[0] = 1e300;
  for (int i = 0; i < 49; ++i) thresholds[i] = 0.5;  /* upper half keeps grade 1 */

  creditsim_options options;
  memset(&options, 0, sizeof options);
  options.structSize = sizeof options;
  options.hasSeed = 1;
  options.seed = 42;
  CHECK(SimulateWithOptions(&r[0], &r[1], &r[2], &r[3], &r[4], &r[5], &r[6], &r[7], &r[8], &r[9], &r[10],
                            &r[11], &r[12], &r[13], &r[14], &r[15], &r[16], &r[17], &r[18], &r[19], &r[20],
                            &r[21], &r[22], &r[23], &r[24], 5, 1, 0.1, 0.1, 0.1, 0.4, 0.4,
                            &options) == CREDITSIM_OK);
  for (int i = 0; i < 5; ++i) CHECK(scenarioPnl[i] != -7);

  /* An issuer index past the issuers is refused and nothing is written. */
  issuer[0] = 1;
  for (int i = 0; i < 5; ++i) scenarioPnl[i] = -7;
  CHECK(Simulate(&r[0], &r[1], &r[2], &r[3], &r[4], &r[5], &r[6], &r[7], &r[8], &r[9], &r[10], &r[11], &r[12],
                 &r[13], &r[14], &r[15], &r[16], &r[17], &r[18], &r[19], &r[20], &r[21], &r[22], &r[23], &r[24], 5,
                 1, 0.1, 0.1, 0.1, 0.4, 0.4) == CREDITSIM_ERROR_VALUE_RANGE);
  CHECK(strstr(creditsim_last_error(), "assetIssuer[0]") != NULL);
  for (int i = 0; i < 5; ++i) CHECK(scenarioPnl[i] == -7);
}

int main(void) {
  correl_factors_a_matrix();
  correl_refuses_a_short_factor();
  simulate_runs_and_refuses();
  if (failures == 0) printf("c_api: all checks passed\n");
  return failures == 0 ? 0 : 1;
}
