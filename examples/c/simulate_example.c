/* A host in C: factor a 2-issuer correlation matrix, then run 1000
 * scenarios of a two-bond portfolio and print the worst scenario. */
#include <creditsim/creditsim.h>

#include <stdio.h>
#include <string.h>

#define N 2
#define M 2
#define D 1000
#define K 5

int main(void) {
  double correlation[N * N] = {1.0, 0.3, 0.3, 1.0}, factor[N * N];
  double percentile[N], shock[N], thresholds[49];
  int16_t rating[N] = {4, 5}, newRating[N]; /* BBB and BB */
  int16_t issuer[M] = {0, 1}, tenorLow[M] = {0, 0}, tenorHigh[M] = {1, 1}, kind[M] = {1, 1};
  double face[M] = {100, 100}, value[M] = {98, 95}, weight[M] = {0.5, 0.5}, duration[M] = {4, 4};
  double spread[M] = {150, 350}, newSpread[M], pnl[M], restPnl[M];
  double spreads[2 * 33] = {0};
  double tailPnl[K], tailAssetPnl[K * M], tailMultiplier[K], tailRestPnl[K * M], scenarioPnl[D];
  int16_t tailRating[K * N];

  /* T(r, k): probability of ending worse than grade k; the same simple
   * curve for every current grade keeps the example short. */
  const double worseThan[7] = {0.99, 0.95, 0.85, 0.15, 0.05, 0.02, 0.01};
  for (int k = 0; k < 7; ++k)
    for (int r = 0; r < 7; ++r) thresholds[k * 7 + r] = worseThan[k];
  for (int row = 0; row < 2; ++row)
    for (int grade = 1; grade <= 7; ++grade) spreads[row * 33 + grade] = 20.0 * grade * grade + 10.0 * row;
  for (int i = 0; i < K; ++i) tailPnl[i] = 1e300; /* empty tail: every slot "worse than nothing" */
  for (int i = 0; i < K * M; ++i) tailRestPnl[i] = 1e300;

  HostArray a[25] = {
      {CREDITSIM_DOUBLE, 2, {N, N}, factor},  {CREDITSIM_DOUBLE, 1, {N}, percentile},
      {CREDITSIM_DOUBLE, 1, {N}, shock},      {CREDITSIM_INT16, 1, {N}, rating},
      {CREDITSIM_DOUBLE, 2, {7, 7}, thresholds}, {CREDITSIM_INT16, 1, {N}, newRating},
      {CREDITSIM_INT16, 1, {M}, issuer},      {CREDITSIM_DOUBLE, 1, {M}, face},
      {CREDITSIM_DOUBLE, 1, {M}, value},      {CREDITSIM_DOUBLE, 2, {33, 2}, spreads},
      {CREDITSIM_INT16, 1, {M}, tenorLow},    {CREDITSIM_INT16, 1, {M}, tenorHigh},
      {CREDITSIM_DOUBLE, 1, {M}, weight},     {CREDITSIM_DOUBLE, 1, {M}, duration},
      {CREDITSIM_INT16, 1, {M}, kind},        {CREDITSIM_DOUBLE, 1, {M}, spread},
      {CREDITSIM_DOUBLE, 1, {M}, newSpread},  {CREDITSIM_DOUBLE, 1, {M}, pnl},
      {CREDITSIM_DOUBLE, 1, {K}, tailPnl},    {CREDITSIM_DOUBLE, 2, {M, K}, tailAssetPnl},
      {CREDITSIM_INT16, 2, {N, K}, tailRating}, {CREDITSIM_DOUBLE, 1, {K}, tailMultiplier},
      {CREDITSIM_DOUBLE, 1, {D}, scenarioPnl}, {CREDITSIM_DOUBLE, 1, {M}, restPnl},
      {CREDITSIM_DOUBLE, 2, {M, K}, tailRestPnl}};
  HostArray* r[25];
  for (int i = 0; i < 25; ++i) r[i] = &a[i];
  HostArray correlationArray = {CREDITSIM_DOUBLE, 2, {N, N}, correlation};
  HostArray* correlationRef = &correlationArray;

  if (Correl(&correlationRef, &r[0]) != CREDITSIM_OK) {
    fprintf(stderr, "Correl: %s\n", creditsim_last_error());
    return 1;
  }
  creditsim_options options;
  memset(&options, 0, sizeof options);
  options.structSize = sizeof options;
  options.hasSeed = 1;
  options.seed = 2024;
  int status = SimulateWithOptions(&r[0], &r[1], &r[2], &r[3], &r[4], &r[5], &r[6], &r[7], &r[8], &r[9], &r[10],
                                   &r[11], &r[12], &r[13], &r[14], &r[15], &r[16], &r[17], &r[18], &r[19], &r[20],
                                   &r[21], &r[22], &r[23], &r[24], D, K, 0.2, 0.1, 0.1, 0.4, 0.4, &options);
  if (status != CREDITSIM_OK) {
    fprintf(stderr, "Simulate: %s\n", creditsim_last_error());
    return 1;
  }
  printf("worst scenario P&L %.4f (assets %.4f, %.4f)\n", tailPnl[0], tailAssetPnl[0], tailAssetPnl[1]);
  return tailPnl[0] <= tailPnl[K - 1] ? 0 : 1;
}
