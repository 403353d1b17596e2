// First stage of a scenario: issuer shocks, correlation, percentiles and
// new ratings.
#pragma once

#include "numerics/random_source.hpp"
#include "simulation/simulation_run.hpp"

namespace creditsim {

// Draws N issuer shocks, correlates them through the factor, turns them
// into percentiles and assigns every issuer its new rating. Takes exactly N
// values from `source`.
void MigrateIssuers(const SimulationRun& run, RandomSource& source);

// The best grade k whose threshold lies strictly below the percentile, or
// default (8) when none does; inactive issuers (grade 0) stay 0.
RatingCode NewRating(const double* migrationThreshold, RatingCode current, double percentile);

}  // namespace creditsim
