// The rest-of-portfolio tails of the fast engine: every asset's K lowest
// rest-of-portfolio values, kept column by column in contiguous memory.
//
// In the host's layout an asset's K slots lie M values apart, so each
// insertion scans and shifts across K cache lines. Here each asset's column
// is one contiguous run of K doubles: the same scan from the top slot down
// and the same shift, on the same values, touch a few cache lines instead.
// The columns are copied in from the host's layout when the run starts and
// written back once when it ends.
//
// A column that is ascending and holds no NaN stays so under insertion of a
// number, and there the scan's answer (the lowest slot above every value
// strictly below v) is the first slot not below v, which a binary search
// finds. Columns that are not (host data out of order, or a NaN value) are
// scanned slot by slot as the definition says.
//
// The top slots of all columns are mirrored side by side, so the common case
// (the value lies above the top slot) is found for all assets at once by a
// vector pass over contiguous arrays (rest_of_portfolio_kernel.hpp).
//
// Values bound for an ordered column wait in a small batch of their asset
// and go in together: the column is far from the core (a run's columns are
// larger than the cache), and one merge of a sorted batch reads and moves
// it once where one insertion per value would read and move it every time.
// In such a column the result of insertion one by one depends only on the
// values and their order of arrival: the K lowest, ascending, a later value
// before an earlier equal one (which tells -0.0 from +0.0). The batch is
// sorted and merged by exactly that rule. The column's top, and so the
// first pass's test, lags until the batch goes in; a value it lets through
// that the column no longer admits is dropped by the merge.
#pragma once

#include <cstdint>

#include "simulation/simulation_run.hpp"
#include "simulation/working_memory.hpp"

namespace creditsim {

class RestOfPortfolioStore {
 public:
  void Allocate(WorkingMemory& memory, int K, std::int32_t M);

  // Copies the host's tailRestPnl into columns (only when K >= 1).
  void Load(const SimulationRun& run);

  // A loss scenario with P&L `L`: writes assetRestPnl and merges every
  // asset's rest-of-portfolio value into its column (through its batch).
  void Merge(const SimulationRun& run, double L, const double* assetPnl);

  // Writes the columns back into the host's tailRestPnl.
  void WriteBack(const SimulationRun& run);

  // Values waiting per asset: a full batch is merged into its column.
  static constexpr int kBatch = 8;

  // For runs whose tails will only be merged with others' (shards run side
  // by side): `bound` holds per asset a value that at least K values of the
  // merged result are known not to exceed. A value above it can never reach
  // the merged column, so it is not inserted here; every insertion lowers
  // the bound to this column's top. Only for runs that start from empty
  // (+infinity) columns; results merged through the stable merge are then
  // unchanged, bit for bit.
  void ShareBound(double* bound);

  // Asset a's column (K slots), and whether it is ascending and free of NaN.
  // The column may lack the values still waiting in its batch: it holds the
  // K lowest of the values before them.
  const double* Column(std::int32_t a) const { return columns_ + static_cast<std::ptrdiff_t>(a) * K_; }
  bool Ordered(std::int32_t a) const { return ordered_[a] != 0; }

 private:
  // Merges asset a's waiting values into its column, if it has any.
  void MergeBatch(std::ptrdiff_t a);
  void NewTop(std::ptrdiff_t a);

  int K_ = 0;
  std::int32_t M_ = 0;
  double* columns_ = nullptr;      // asset a's slot i at a*K + i
  std::uint8_t* ordered_ = nullptr;  // per asset: column ascending and free of NaN
  std::int32_t* filled_ = nullptr;   // per ordered column: slots before its first +infinity
  double* top_ = nullptr;            // per asset: its column's top slot, side by side
  std::int32_t* candidates_ = nullptr;  // assets to insert in the current scenario
  double* batches_ = nullptr;           // asset a's waiting values at a*kBatch, in order of arrival
  std::uint8_t* waiting_ = nullptr;     // per asset: values in its batch
  double* merged_ = nullptr;            // K slots: a batch merge's output
  double* sharedBound_ = nullptr;       // per asset, see ShareBound
  bool changed_ = false;
};

}  // namespace creditsim
