// Sharded runs spread over the ranks of an MPI job.
#pragma once

#include <mpi.h>

#include "creditsim/shards.hpp"

namespace creditsim::mpi {

// Every rank calls this with the same inputs. Shard i runs on rank
// i mod R (on `sharding.threads` threads there); rank 0 receives the
// results and merges them in shard order into its arrays, so that its
// arrays end exactly as a single-process run with the same seed and shard
// count leaves them. Other ranks leave their arrays untouched. The returned
// outcome is the merged one on every rank.
SimulationOutcome SimulateShardedOverRanks(const SimulationArrays& arrays, const SimulationParameters& parameters,
                                           const ShardingOptions& sharding, const SimulationOptions& options,
                                           MPI_Comm communicator);

}  // namespace creditsim::mpi
