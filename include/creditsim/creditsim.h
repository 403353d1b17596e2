/*
 * creditsim C interface.
 *
 * The library exports two entry points over host-owned arrays:
 *   Correl   - the triangular factor of an issuer correlation matrix;
 *   Simulate - a Monte Carlo run of a credit portfolio.
 *
 * Every array reaches the library as a reference to the host's reference to a
 * HostArray descriptor (a `HostArray **`), in the parameter order documented
 * in docs/c-api.md. The host owns every array; the library never allocates,
 * frees or resizes one, and keeps no pointer after a call returns.
 *
 * Every entry point returns a status code (CREDITSIM_OK = 0 when the call did
 * its work). When a call is refused it writes nothing at all, and
 * creditsim_last_error() returns a message that names the parameter and what
 * is wrong with it. A caller that ignores the status loses nothing.
 */
#ifndef CREDITSIM_CREDITSIM_H
#define CREDITSIM_CREDITSIM_H

#include <stdint.h>

#if defined(_WIN32)
#define CREDITSIM_API __declspec(dllexport)
#elif defined(__GNUC__)
#define CREDITSIM_API __attribute__((visibility("default")))
#else
#define CREDITSIM_API
#endif

#ifdef __cplusplus
extern "C" {
#endif

/* ---- Status codes ------------------------------------------------------ */

enum {
  /* The call did all of its work. */
  CREDITSIM_OK = 0,
  /* A run was cancelled at a progress check; the arrays hold the completed
   * scenarios exactly as a shorter run would have left them. */
  CREDITSIM_CANCELLED = 1,
  /* A required descriptor (or the reference to it) is null. */
  CREDITSIM_ERROR_NULL_ARRAY = 2,
  /* A descriptor holds the wrong element type or an unsupported shape. */
  CREDITSIM_ERROR_ARRAY_TYPE = 3,
  /* A descriptor holds fewer elements than the call needs. */
  CREDITSIM_ERROR_ARRAY_TOO_SHORT = 4,
  /* A count (issuers, assets, scenarios) is outside what the library supports. */
  CREDITSIM_ERROR_COUNT_RANGE = 5,
  /* An input value (rating, issuer index, tenor row) is out of range. */
  CREDITSIM_ERROR_VALUE_RANGE = 6,
  /* An option is invalid (unknown engine, bad structure size). */
  CREDITSIM_ERROR_OPTION = 7,
  /* An unexpected internal failure (for example memory exhaustion). */
  CREDITSIM_ERROR_INTERNAL = 8
};

/* ---- Host arrays ------------------------------------------------------- */

/* Element types a host array may hold. */
enum {
  CREDITSIM_INT16 = 1, /* 16-bit signed two's-complement integers */
  CREDITSIM_DOUBLE = 2 /* IEEE 754 doubles, 8 bytes */
};

/*
 * A host array: a zero-based block of elements, first index fastest.
 * Element (a, b) of a two-dimensional array lies at flat position
 * a + b * extent[0]. A one-dimensional array leaves extent[1] unused.
 * The library reads counts from extent[0] only (for `correlation`, `factor`
 * and `assetFace`) and addresses everything else by flat position.
 */
typedef struct HostArray {
  int32_t elementType;    /* CREDITSIM_INT16 or CREDITSIM_DOUBLE */
  int32_t dimensionCount; /* 1 or 2 */
  int32_t extent[2];      /* extent of dimensions 1 and 2; never negative */
  void *data;             /* the element block; may be null only when empty */
} HostArray;

/* ---- Errors ------------------------------------------------------------ */

/* The message of the most recent failed call on this thread, or "" when the
 * last call succeeded. The text stays valid until the next call on the
 * same thread. */
CREDITSIM_API const char *creditsim_last_error(void);

/* The library version as "MAJOR.MINOR.PATCH". */
CREDITSIM_API const char *creditsim_version(void);

/* ---- Correlation factor ------------------------------------------------ */

/*
 * Turns the n x n correlation matrix (n = extent[0] of `correlation`) into
 * the triangular factor that Simulate expects. `factor` must hold at least
 * n*n doubles; it may be the same array as `correlation`.
 */
CREDITSIM_API int Correl(HostArray **correlation, HostArray **factor);

/* ---- Simulation ---------------------------------------------------------- */

/* Progress events a host receives through a callback. */
enum {
  CREDITSIM_PROGRESS_START = 0,  /* done = 0, total = scenario count */
  CREDITSIM_PROGRESS_REPORT = 1, /* every 100 scenarios: done, total */
  CREDITSIM_PROGRESS_CANCELLED = 2, /* a check found a cancellation */
  CREDITSIM_PROGRESS_FINISH = 3  /* the run is over (completed or cancelled) */
};

/* A progress callback. Its return value on CREDITSIM_PROGRESS_REPORT asks
 * for cancellation when non-zero; the request takes effect at once, at the
 * check that made the report. Other events ignore the result. */
typedef int (*creditsim_progress_fn)(void *context, int event, int32_t done, int32_t total);

/* A cancellation request that any thread (or a signal handler) may raise.
 * The run sees it at its next progress check, every 100 scenarios. */
typedef struct creditsim_cancel_token creditsim_cancel_token;
CREDITSIM_API creditsim_cancel_token *creditsim_cancel_token_create(void);
CREDITSIM_API void creditsim_cancel_token_request(creditsim_cancel_token *token);
CREDITSIM_API void creditsim_cancel_token_destroy(creditsim_cancel_token *token);

/* Which implementation runs the scenarios. Both leave bit-identical arrays. */
enum {
  CREDITSIM_ENGINE_DEFAULT = 0,  /* the fastest available engine */
  CREDITSIM_ENGINE_REFERENCE = 1 /* the straightforward step-by-step engine */
};

/* Options of SimulateWithOptions. Zero-initialise, then set what you need. */
typedef struct creditsim_options {
  uint32_t structSize;   /* sizeof(creditsim_options) */
  int32_t hasSeed;       /* non-zero: use `seed`; zero: seed from the clock */
  uint32_t seed;         /* generator seed when hasSeed is non-zero */
  int32_t pace;          /* non-zero: really sleep in the progress pauses */
  int32_t engine;        /* CREDITSIM_ENGINE_* */
  creditsim_progress_fn progress; /* optional */
  void *progressContext;          /* passed to `progress` */
  creditsim_cancel_token *cancel; /* optional */
  uint32_t *seedUsed;    /* optional: receives the seed the run used */
  int32_t terminalProgress; /* non-zero: draw progress on stderr when it is a
                             * terminal (ignored when `progress` is set) */
  int32_t shards;  /* 0: one sequence, as Simulate; P >= 1: P shards with
                    * non-overlapping streams, merged exactly (see shards.hpp) */
  int32_t threads; /* worker threads of a sharded run; 0: the machine's cores */
} creditsim_options;

/*
 * Runs `scenarioCount` scenarios of the portfolio. Parameters, in order:
 * factor, issuerPercentile, issuerShock, issuerRating, migrationThreshold,
 * issuerNewRating, assetIssuer, assetFace, assetValue, spreadTable,
 * assetTenorLow, assetTenorHigh, assetTenorWeight, assetDuration, assetKind,
 * assetSpread, assetNewSpread, assetPnl, tailPnl, tailAssetPnl, tailRating,
 * tailMultiplier, scenarioPnl, assetRestPnl, tailRestPnl, then the scalars.
 * Only the low 16 bits of `tailSize` are used, as a signed number.
 * The generator is seeded from the clock (whole seconds since 1970).
 */
CREDITSIM_API int Simulate(
    HostArray **factor, HostArray **issuerPercentile, HostArray **issuerShock,
    HostArray **issuerRating, HostArray **migrationThreshold, HostArray **issuerNewRating,
    HostArray **assetIssuer, HostArray **assetFace, HostArray **assetValue,
    HostArray **spreadTable, HostArray **assetTenorLow, HostArray **assetTenorHigh,
    HostArray **assetTenorWeight, HostArray **assetDuration, HostArray **assetKind,
    HostArray **assetSpread, HostArray **assetNewSpread, HostArray **assetPnl,
    HostArray **tailPnl, HostArray **tailAssetPnl, HostArray **tailRating,
    HostArray **tailMultiplier, HostArray **scenarioPnl, HostArray **assetRestPnl,
    HostArray **tailRestPnl, int32_t scenarioCount, int32_t tailSize,
    double spreadVolatility, double market1Volatility, double market2Volatility,
    double recoveryMeanA, double recoveryMeanB);

/* Simulate with options (explicit seed, progress callback, cancellation,
 * pacing, engine). `options` may be null for the defaults of Simulate.
 * Returns CREDITSIM_CANCELLED when a progress check found a cancellation. */
CREDITSIM_API int SimulateWithOptions(
    HostArray **factor, HostArray **issuerPercentile, HostArray **issuerShock,
    HostArray **issuerRating, HostArray **migrationThreshold, HostArray **issuerNewRating,
    HostArray **assetIssuer, HostArray **assetFace, HostArray **assetValue,
    HostArray **spreadTable, HostArray **assetTenorLow, HostArray **assetTenorHigh,
    HostArray **assetTenorWeight, HostArray **assetDuration, HostArray **assetKind,
    HostArray **assetSpread, HostArray **assetNewSpread, HostArray **assetPnl,
    HostArray **tailPnl, HostArray **tailAssetPnl, HostArray **tailRating,
    HostArray **tailMultiplier, HostArray **scenarioPnl, HostArray **assetRestPnl,
    HostArray **tailRestPnl, int32_t scenarioCount, int32_t tailSize,
    double spreadVolatility, double market1Volatility, double market2Volatility,
    double recoveryMeanA, double recoveryMeanB, const creditsim_options *options);

#ifdef __cplusplus
} /* extern "C" */
#endif

#endif /* CREDITSIM_CREDITSIM_H */
