// creditsim-mpi: the creditsim program as one rank of an MPI job. With
// `run --shards P` the shards are spread over the ranks and merged on rank 0,
// which alone writes the outputs; everything else behaves as in creditsim.
// A rank that fails ends the whole job, so a partial result is never written.
#include <mpi.h>

#include <cstdio>
#include <exception>

#include "app.hpp"
#include "mpi_shards.hpp"
#include "portfolio_simulation.hpp"

namespace {

int WorldRank() {
  int rank = 0;
  MPI_Comm_rank(MPI_COMM_WORLD, &rank);
  return rank;
}

creditsim::cli::ShardedCall SimulateOverRanks(const creditsim::SimulationArrays& arrays,
                                              const creditsim::SimulationParameters& parameters,
                                              const creditsim::ShardingOptions& sharding,
                                              const creditsim::SimulationOptions& options) {
  const int rank = WorldRank();
  try {
    creditsim::SimulationOptions rankOptions = options;
    if (rank != 0) rankOptions.terminalProgress = false;
    const auto outcome = creditsim::mpi::SimulateShardedOverRanks(arrays, parameters, sharding, rankOptions,
                                                                  MPI_COMM_WORLD);
    return {outcome, rank == 0};
  } catch (const std::exception& e) {
    std::fprintf(stderr, "creditsim-mpi: rank %d: %s\n", rank, e.what());
    MPI_Abort(MPI_COMM_WORLD, 1);
  }
  return {};
}

}  // namespace

int main(int argc, char** argv) {
  int provided = 0;
  MPI_Init_thread(&argc, &argv, MPI_THREAD_FUNNELED, &provided);
  creditsim::cli::UseShardedSimulator(SimulateOverRanks);
  const int status = creditsim::cli::RunApplication(argc, argv, "creditsim-mpi");
  MPI_Finalize();
  return status;
}
