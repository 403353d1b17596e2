// The fast engine: the reference model, scenario by scenario, with the work
// that does not change the bits taken out.
//
// - Normal draws come from tables filled with the exact InverseNormal.
// - The correlated shocks use the packed-panel vector kernel, whose row sums
//   keep the reference's order.
// - Revaluation reads per-run precomputed spreads and prices all assets in
//   one vector pass, then the defaulted ones in order (AssetRevaluationPlan).
// - The main tail store keeps its slot order in an index (TailIndex), the
//   rest-of-portfolio tails keep each asset's column contiguous and find the
//   few insertions with a vector pass (RestOfPortfolioStore); both restore
//   the host's layout once at the end.
// - Outputs that the next scenario overwrites and nothing reads in between
//   (issuerShock, issuerPercentile, issuerNewRating, assetNewSpread) are
//   written only for the last scenario run, in Complete.
// - New ratings compare the correlated shock with the cut points of the
//   thresholds (RatingCuts), a row of issuers at a time (RateByWindows);
//   NormalCdf is evaluated only near a cut and for the percentiles of the
//   last scenario. Runs too short to repay finding the cuts evaluate
//   NormalCdf for every active issuer instead.
// - Shards of a sharded run are advanced side by side (FastEngineGroup),
//   sharing each pass over the factor, on one thread or a team of threads.
// - On a machine with a second core and a large enough portfolio, the
//   migration of scenario s + 1 (draws, correlation, ratings, systematic
//   draws) runs on a helper thread while scenario s is revalued and merged
//   into the tails. The next scenario's first generator value is known as
//   soon as this scenario's ratings are: it follows the N + 3 values of this
//   scenario and one recovery value per credit asset of a defaulted issuer.
//   The helper draws from its own copy of the generator and hands each
//   scenario the state at its recovery draws; two migration slots alternate.
// All working memory is one block, allocated when the engine is made.
#include "simulation/fast_engine.hpp"

#include <algorithm>
#include <atomic>
#include <cstddef>
#include <exception>
#include <limits>
#include <optional>
#include <thread>
#include <vector>

#include "numerics/normal_distribution.hpp"
#include "numerics/normal_draw_table.hpp"
#include "simulation/asset_revaluation_plan.hpp"
#include "simulation/migrate_issuers.hpp"
#include "simulation/rating_cuts.hpp"
#include "simulation/rating_windows.hpp"
#include "simulation/rest_of_portfolio_store.hpp"
#include "simulation/shock_correlation.hpp"
#include "simulation/sums_in_order.hpp"
#include "simulation/team_barrier.hpp"
#include "simulation/tail_index.hpp"
#include "simulation/tail_store.hpp"
#include "simulation/working_memory.hpp"

namespace creditsim {
namespace {

// Process-wide, so that a caller can read it after engines ran on worker
// threads (sharded runs).
std::atomic<std::size_t> liveWorkingBytes{0};
std::atomic<std::size_t> peakWorkingBytes{0};

void AddLiveWorkingBytes(std::size_t bytes) {
  const std::size_t live = liveWorkingBytes.fetch_add(bytes) + bytes;
  std::size_t peak = peakWorkingBytes.load();
  while (live > peak && !peakWorkingBytes.compare_exchange_weak(peak, live)) {
  }
}
std::atomic<bool> lastUsedHelper{false};

// Sharded runs whose packed factor reaches this size run in teams.
std::atomic<std::size_t> teamFactorBytes{std::size_t{4} << 20};

// Finding and checking the 49 cut points costs about as many NormalCdf
// evaluations as this; a run that would evaluate fewer rates its issuers
// with NormalCdf directly.
constexpr std::int64_t kCutPointCost = 49 * 250;

// The cut points, when the run is long enough to repay them.
// Work per scenario (multiply-adds of the correlation plus a weight per
// asset) from which a helper thread pays for its hand-overs.
std::atomic<std::int64_t> overlapThreshold{40000};

// Fast engines alive in the process. Engines that run side by side (the
// shards of a sharded run) already keep the cores busy, so only an engine
// that starts alone takes a helper thread.
std::atomic<int> liveEngines{0};

thread_local bool helperAllowedOnThisThread = true;

bool WorthOverlapping(const SimulationRun& run, int otherEngines) {
  if (otherEngines > 0 || !helperAllowedOnThisThread) return false;
  const std::int64_t n = run.issuerCount;
  const std::int64_t work = n * (n + 1) / 2 + 8 * static_cast<std::int64_t>(run.assetCount);
  return std::thread::hardware_concurrency() >= 2 && work >= overlapThreshold.load(std::memory_order_relaxed);
}

std::optional<RatingCuts> CutsWorthBuilding(const SimulationRun& run) {
  std::int64_t active = 0;
  for (std::int32_t i = 0; i < run.issuerCount; ++i) active += run.issuerRating[i] != kInactive;
  if (active * static_cast<std::int64_t>(run.scenarioCount) < kCutPointCost) return std::nullopt;
  return RatingCuts(run.migrationThreshold);
}

class FastEngine final : public ScenarioEngine {
 public:
  // With `sharedWith` (an engine of a run with the same inputs, which must
  // outlive this one) the engine reads that engine's packed factor and
  // per-run revaluation columns instead of making its own.
  FastEngine(const SimulationRun& run, RandomSource& source, const FastEngine* sharedWith = nullptr)
      : run_(run),
        source_(source),
        issuerTable_(IssuerShockTable()),
        systematicTable_(SystematicDrawTable()),
        ratingCuts_(CutsWorthBuilding(run)),
        overlap_(WorthOverlapping(run, liveEngines.fetch_add(1))),
        sharedWith_(sharedWith) {
    WorkingMemory counting;
    Layout(counting);
    memory_ = WorkingMemory(counting.Used());
    Layout(memory_);
    AddLiveWorkingBytes(memory_.Capacity());
    lastUsedHelper.store(overlap_, std::memory_order_relaxed);
    for (std::int32_t i0 = 0; overlap_ && i0 < run_.issuerCount; i0 += kPanelRows) {
      panelStarts_.push_back(PanelOffset(run_.issuerCount, i0));
    }
    ticket_.store(panelStarts_.size(), std::memory_order_relaxed);  // no product open

    if (sharedWith_ == nullptr) PackFactorPanels(run_.factor, run_.issuerCount, ownPanels_);
    for (Migration& slot : slots_) {
      for (std::int32_t i = 0; i < run_.issuerCount; ++i) {
        slot.newRatings[i] = run_.issuerRating[i] == kInactive ? kInactive : kDefault;
      }
    }
    if (ratingCuts_) BuildRatingWindows(*ratingCuts_, run_.issuerRating, run_.issuerCount, windowPlanes_);
    plan_.Build(run_);
    if (run_.tailSize >= 1) {
      tails_.Load(run_);
      restTails_.Load(run_);
    }
  }

  ~FastEngine() override {
    liveEngines.fetch_sub(1);
    liveWorkingBytes.fetch_sub(memory_.Capacity());
  }

  void RunScenarios(std::int32_t first, std::int32_t last) override {
    if (overlap_ && last - first >= 2) {
      RunOverlapped(first, last);
    } else {
      for (std::int32_t s = first; s < last; ++s) {
        Migrate(slots_[0], source_);
        Revalue(s, slots_[0], source_);
        last_ = &slots_[0];
      }
    }
    scenariosRun_ = scenariosRun_ || last > first;
  }

  // One scenario in two halves, for engines advanced side by side: the
  // issuer shocks are drawn first, then the caller correlates them (into
  // CorrelatedBuffer) together with other engines' shocks, then the rest of
  // the scenario runs.
  void DrawIssuerShocks() { DrawIssuerShocks(slots_[0], source_); }
  const double* ShockBuffer() const { return slots_[0].shocks; }
  double* CorrelatedBuffer() { return slots_[0].correlated; }
  const double* Panels() const { return panels_; }
  std::int32_t IssuerCount() const { return run_.issuerCount; }
  std::int32_t AssetCount() const { return run_.assetCount; }
  // After the correlation: new ratings, systematic draws and the asset P&L
  // (in the run's assetPnl); the caller sums it and passes the total on.
  const double* PriceScenario() {
    RateAndDrawSystematic(slots_[0], source_);
    plan_.PriceAssets(slots_[0].newRatings, slots_[0].factors, source_, run_.assetPnl);
    return run_.assetPnl;
  }
  void FinishScenario(std::int32_t s, double total) {
    Record(s, slots_[0], total);
    last_ = &slots_[0];
    scenariosRun_ = true;
  }

  // Tail bounds shared with the other shards of a merge (TailIndex and
  // RestOfPortfolioStore::ShareBound).
  void ShareTailBounds(double* mainBound, double* restBound) {
    if (run_.tailSize < 1) return;
    tails_.ShareBound(mainBound);
    restTails_.ShareBound(restBound);
  }

  const TailIndex& Tails() const { return tails_; }
  const RestOfPortfolioStore& RestTails() const { return restTails_; }
  int TailSize() const { return run_.tailSize; }

  void Complete() override {
    if (!scenariosRun_) return;
    const std::int32_t N = run_.issuerCount;
    std::copy_n(last_->shocks, N, run_.issuerShock);
    for (std::int32_t i = 0; i < N; ++i) run_.issuerPercentile[i] = NormalCdf(last_->correlated[i]);
    std::copy_n(last_->newRatings, N, run_.issuerNewRating);
    plan_.WriteNewSpreads(last_->newRatings, last_->factors.spreadMultiplier, run_.assetNewSpread);
    if (run_.tailSize >= 1) {
      tails_.WriteBack(run_);
      restTails_.WriteBack(run_);
    }
  }

 private:
  // Everything the migration stage of one scenario hands on to the rest.
  struct Migration {
    double* shocks = nullptr;
    double* correlated = nullptr;
    RatingCode* newRatings = nullptr;
    ScenarioFactors factors;
    RandomSource recovery;  // the generator at the scenario's first recovery draw
  };

  void Layout(WorkingMemory& memory) {
    const std::int32_t N = run_.issuerCount;
    if (sharedWith_ == nullptr) ownPanels_ = memory.Take<double>(FactorPanelDoubles(N));
    panels_ = sharedWith_ != nullptr ? sharedWith_->panels_ : ownPanels_;
    for (Migration& slot : slots_) {
      slot.shocks = memory.Take<double>(N);
      slot.correlated = memory.Take<double>(N);
      slot.newRatings = memory.Take<RatingCode>(N);
    }
    const bool ratesByCuts = ratingCuts_.has_value();
    windowPlanes_ = memory.Take<double>(ratesByCuts ? RatingWindowDoubles(N) : 0);
    listedIssuers_ = memory.Take<std::int32_t>(ratesByCuts ? static_cast<std::size_t>(N) : 0);
    plan_.Allocate(memory, run_.assetCount, N, sharedWith_ != nullptr ? &sharedWith_->plan_ : nullptr);
    tails_.Allocate(memory, run_.tailSize, run_.assetCount, N);
    restTails_.Allocate(memory, run_.tailSize, run_.assetCount);
  }

  // The helper migrates scenario s into slot s % 2 as soon as the scenario
  // that used that slot before (s - 2) has been revalued; this thread
  // revalues scenario s once it has been migrated. Both spin politely: each
  // side's work per scenario is tens of microseconds.
  void RunOverlapped(std::int32_t first, std::int32_t last) {
    std::atomic<std::int32_t> migrated{first}, revalued{first};
    RandomSource ahead = source_;
    std::thread helper([&] {
      for (std::int32_t s = first; s < last; ++s) {
        while (s - revalued.load(std::memory_order_acquire) >= 2) std::this_thread::yield();
        Migration& slot = slots_[s & 1];
        DrawIssuerShocks(slot, ahead);
        CorrelateSharingPanels(s);
        RateAndDrawSystematic(slot, ahead);
        ahead.Advance(static_cast<std::uint64_t>(plan_.DefaultDraws(slot.newRatings)));
        migrated.store(s + 1, std::memory_order_release);
      }
    });
    for (std::int32_t s = first; s < last; ++s) {
      while (migrated.load(std::memory_order_acquire) <= s) {
        if (!HelpWithProduct()) std::this_thread::yield();
      }
      Migration& slot = slots_[s & 1];
      RandomSource recovery = slot.recovery;
      Revalue(s, slot, recovery);
      last_ = &slot;
      revalued.store(s + 1, std::memory_order_release);
    }
    helper.join();
    source_ = ahead;
  }

  // The correlated shocks of scenario s (in slot s % 2), panel by panel:
  // the helper opens the product to the calling thread, which takes panels
  // too whenever it waits for a migration. At L the product streams the
  // whole factor from memory, more than the revaluation takes, so both
  // cores' share of the memory bandwidth goes into it. A panel's rows come
  // out the same whichever thread computes them.
  //
  // The ticket holds the scenario (high half) and the next panel to take
  // (low half); a thread takes a panel by raising it, and only while it
  // still names the scenario it read, so that no thread can take a panel
  // of the next product with the last one's shocks.
  void CorrelateSharingPanels(std::int32_t s) {
    panelsDone_.store(0, std::memory_order_relaxed);
    ticket_.store(static_cast<std::uint64_t>(static_cast<std::uint32_t>(s)) << 32, std::memory_order_release);
    while (HelpWithProduct()) {
    }
    const auto panels = static_cast<std::int32_t>(panelStarts_.size());
    while (panelsDone_.load(std::memory_order_acquire) < panels) std::this_thread::yield();
  }

  // Computes one panel of the open product, if any is left.
  bool HelpWithProduct() {
    const auto panels = static_cast<std::uint32_t>(panelStarts_.size());
    std::uint64_t ticket = ticket_.load(std::memory_order_acquire);
    for (;;) {
      const auto panel = static_cast<std::uint32_t>(ticket);
      if (panel >= panels) return false;
      if (ticket_.compare_exchange_weak(ticket, ticket + 1, std::memory_order_acq_rel)) {
        const auto s = static_cast<std::int32_t>(ticket >> 32);
        const Migration& slot = slots_[s & 1];
        const std::int32_t i0 = static_cast<std::int32_t>(panel) * kPanelRows;
        CorrelateShockPanel(panels_ + panelStarts_[panel], run_.issuerCount, i0, slot.shocks, slot.correlated);
        panelsDone_.fetch_add(1, std::memory_order_release);
        return true;
      }
    }
  }

  // Issuer shocks, correlated shocks, new ratings and the three systematic
  // draws of one scenario, drawn from `source`.
  void Migrate(Migration& slot, RandomSource& source) const {
    DrawIssuerShocks(slot, source);
    const double* shocks = slot.shocks;
    double* correlated = slot.correlated;
    CorrelateShocks(panels_, run_.issuerCount, &shocks, &correlated, 1);
    RateAndDrawSystematic(slot, source);
  }

  void DrawIssuerShocks(Migration& slot, RandomSource& source) const {
    for (std::int32_t i = 0; i < run_.issuerCount; ++i) slot.shocks[i] = issuerTable_.Draw(source);
  }

  // New ratings from the correlated shocks, then the three systematic draws.
  void RateAndDrawSystematic(Migration& slot, RandomSource& source) const {
    const std::int32_t N = run_.issuerCount;
    if (ratingCuts_) {
      NewRatings(*ratingCuts_, windowPlanes_, run_.issuerRating, N, slot.correlated, slot.newRatings,
                 listedIssuers_);
    } else {
      for (std::int32_t i = 0; i < N; ++i) {
        const RatingCode current = run_.issuerRating[i];
        if (current == kInactive) continue;
        slot.newRatings[i] = NewRating(run_.migrationThreshold, current, NormalCdf(slot.correlated[i]));
      }
    }
    const double spreadShock = systematicTable_.Draw(source) * run_.spreadVolatility;
    slot.factors.spreadMultiplier = SpreadMultiplierOf(spreadShock);
    slot.factors.market1Move = systematicTable_.Draw(source) * run_.market1Volatility;
    slot.factors.market2Move = systematicTable_.Draw(source) * run_.market2Volatility;
    slot.recovery = source;
  }

  // Revaluation (recovery draws from `source`) and both tail stores.
  void Revalue(std::int32_t s, const Migration& slot, RandomSource& source) {
    Record(s, slot, plan_.Revalue(slot.newRatings, slot.factors, source, run_.assetPnl));
  }

  // The scenario's P&L `L` into scenarioPnl and both tail stores.
  void Record(std::int32_t s, const Migration& slot, double L) {
    run_.scenarioPnl[s] = L;
    if (run_.tailSize >= 1) tails_.Insert(run_, L, slot.factors.spreadMultiplier, run_.assetPnl, slot.newRatings);
    if (L < 0) restTails_.Merge(run_, L, run_.assetPnl);
  }

  const SimulationRun& run_;
  RandomSource& source_;
  const NormalDrawTable& issuerTable_;
  const NormalDrawTable& systematicTable_;
  const std::optional<RatingCuts> ratingCuts_;
  const bool overlap_;
  const FastEngine* const sharedWith_;
  WorkingMemory memory_;
  double* ownPanels_ = nullptr;
  const double* panels_ = nullptr;
  Migration slots_[2];
  double* windowPlanes_ = nullptr;         // the issuers' guard windows, when rated by cuts
  std::int32_t* listedIssuers_ = nullptr;  // issuers the window count leaves to NewRating
  const Migration* last_ = &slots_[0];
  // The product shared between the threads of an overlapped run.
  std::vector<std::size_t> panelStarts_;  // offset of each panel in panels_
  std::atomic<std::uint64_t> ticket_{0};
  std::atomic<std::int32_t> panelsDone_{0};
  AssetRevaluationPlan plan_;
  TailIndex tails_;
  RestOfPortfolioStore restTails_;
  bool scenariosRun_ = false;
};

// Bounds fall fast while the lists fill and slowly after: tighten every 16
// steps over the first 256, then every 128 (a tightening reads one slot of
// every list, a cache miss each).
bool TimeToTighten(std::int64_t steps) { return steps % (steps <= 256 ? 16 : 128) == 0; }

}  // namespace

struct FastEngineGroup::Members {
  std::vector<std::unique_ptr<FastEngine>> engines;
  const double* panels = nullptr;
  std::int32_t issuerCount = 0;
  std::int32_t assetCount = 0;

  // One lane per thread of the team. Each lane draws, prices and records
  // the runs it owns; the product of every run's shocks is shared out
  // panel by panel. A lane's runs lower its own copy of the shared bounds,
  // so that no two threads write the same one.
  struct Lane {
    std::vector<FastEngine*> own;
    std::vector<const double*> shocks;  // of every run in the step
    std::vector<double*> correlated;
    std::vector<const double*> pnl;
    std::vector<double> totals;
    double mainBound = 0;
    std::vector<double> restBound;
  };
  std::vector<Lane> lanes;
  std::vector<int> laneOf;  // per run
  // The first row of the next panel of the step's product to hand out. The
  // panels go largest first, one at a time, so that a lane that comes late
  // to the product (it tightened the bounds, or its runs took longer) takes
  // fewer of them.
  std::atomic<std::int32_t> nextPanelRow{0};

  // The team's other threads, and the call they are to run.
  std::unique_ptr<TeamBarrier> barrier;
  std::vector<std::thread> helpers;
  std::atomic<std::uint64_t> calls{0};
  bool stop = false;           // written before the last call is announced
  bool callCompletes = false;  // the call completes the runs rather than running scenarios
  std::span<const std::size_t> callMembers;
  std::int32_t callFirst = 0;
  std::span<const std::int32_t> callLasts;

  // Tail bounds shared by runs that are merged afterwards.
  MergeBounds* shared = nullptr;
  int group = 0;  // this group's number in `shared`
  double reportedMain = 0;
  std::vector<double> reportedRest;
  std::int64_t steps = 0;  // steps run, for the timing of TightenBounds

  void Meet() {
    if (barrier) barrier->Wait();
  }

  // Lane `lane`'s part of scenarios first .. lasts[k] - 1 of runs
  // members[k]. Every lane walks the same steps; they meet once the shocks
  // are drawn, once the product is complete, and once at the end, after
  // which no lane reads the call's spans.
  void RunLane(int lane, std::span<const std::size_t> members, std::int32_t first,
               std::span<const std::int32_t> lasts) {
    Lane& l = lanes[static_cast<std::size_t>(lane)];
    for (std::int32_t s = first;; ++s) {
      l.own.clear();
      l.shocks.clear();
      l.correlated.clear();
      for (std::size_t k = 0; k < members.size(); ++k) {
        if (s >= lasts[k]) continue;
        FastEngine* engine = engines[members[k]].get();
        l.shocks.push_back(engine->ShockBuffer());
        l.correlated.push_back(engine->CorrelatedBuffer());
        if (laneOf[members[k]] == lane) l.own.push_back(engine);
      }
      if (l.shocks.empty()) break;
      for (FastEngine* engine : l.own) engine->DrawIssuerShocks();
      // Every lane has finished the last product, so the count can restart.
      if (lane == 0) nextPanelRow.store(0, std::memory_order_relaxed);
      Meet();
      // Every lane has finished its last step, so the lists are at rest.
      // Often enough early on that the runs' first fill of their lists is cut short.
      if (lane == 0 && shared != nullptr && TimeToTighten(++steps)) TightenBounds();
      Correlate(l);
      Meet();
      if (l.own.empty()) continue;
      l.pnl.clear();
      for (FastEngine* engine : l.own) l.pnl.push_back(engine->PriceScenario());
      l.totals.resize(l.pnl.size());
      SumsInOrder(l.pnl.data(), static_cast<int>(l.pnl.size()), assetCount, l.totals.data());
      for (std::size_t k = 0; k < l.own.size(); ++k) l.own[k]->FinishScenario(s, l.totals[k]);
    }
    Meet();
  }

  // The lane's share of the step's product.
  void Correlate(Lane& l) {
    const int count = static_cast<int>(l.shocks.size());
    if (!barrier) {
      CorrelateShockRows(panels, issuerCount, 0, issuerCount, l.shocks.data(), l.correlated.data(), count);
      return;
    }
    for (;;) {
      const std::int32_t row = nextPanelRow.fetch_add(kPanelRows, std::memory_order_relaxed);
      if (row >= issuerCount) return;
      CorrelateShockRows(panels, issuerCount, row, row + kPanelRows, l.shocks.data(), l.correlated.data(), count);
    }
  }

  // Writes back the lane's runs (their tails are the larger part of it).
  void CompleteLane(int lane) {
    for (std::size_t k = 0; k < engines.size(); ++k) {
      if (laneOf[k] == lane) engines[k]->Complete();
    }
    Meet();
  }

  // A helper thread of the team: runs lane `lane` of every call announced.
  void Help(int lane) {
    std::uint64_t seen = 0;
    for (;;) {
      std::uint64_t call;
      for (int spins = 0; (call = calls.load(std::memory_order_acquire)) == seen; ++spins) {
        if (spins > 1000) std::this_thread::yield();
      }
      seen = call;
      if (stop) return;
      if (callCompletes) {
        CompleteLane(lane);
      } else {
        RunLane(lane, callMembers, callFirst, callLasts);
      }
    }
  }

  // Lowers each bound to a value that at least K values of the runs' lists
  // taken together do not exceed: those values all reach the merge, so
  // nothing above them can be among the K it keeps. With G ascending lists,
  // each list's first ceil(K / G) values lie at or below its entry number
  // ceil(K / G), so the largest of those G entries is such a value. The
  // runs' lists fill alike, so it lies close to the K-th lowest of all of
  // them, far below any one run's own last slot. The group also reports the
  // same for the entry MergeBounds asks for, so that groups running at the
  // same time on other threads bound each other as if they were one group.
  // Runs only while every lane is between steps.
  void TightenBounds() {
    Lane& first = lanes[0];
    for (std::size_t k = 1; k < lanes.size(); ++k) {
      LowerTo(first.mainBound, lanes[k].mainBound);
      for (std::size_t a = 0; a < first.restBound.size(); ++a) LowerTo(first.restBound[a], lanes[k].restBound[a]);
    }
    const int K = engines[0]->TailSize();
    const int q = (K + static_cast<int>(engines.size()) - 1) / static_cast<int>(engines.size()) - 1;
    const int e = shared->ReportedEntry();
    const auto bounds = [&](auto&& listOf, bool ordered, double& own, double& reported) {
      own = reported = -std::numeric_limits<double>::infinity();
      for (auto& engine : engines) {
        const double* list = listOf(*engine);
        own = std::max(own, list[q]);
        reported = std::max(reported, list[e]);
      }
      if (!ordered) own = reported = std::numeric_limits<double>::infinity();
    };
    bool ordered = true;
    for (auto& engine : engines) ordered = ordered && TailIsAscendingWithoutNaN(engine->Tails().SlotPnl(), K);
    double own = 0;
    bounds([](const FastEngine& engine) { return engine.Tails().SlotPnl(); }, ordered, own, reportedMain);
    LowerTo(first.mainBound, own);
    for (std::int32_t a = 0; a < static_cast<std::int32_t>(first.restBound.size()); ++a) {
      ordered = true;
      for (auto& engine : engines) ordered = ordered && engine->RestTails().Ordered(a);
      bounds([a](const FastEngine& engine) { return engine.RestTails().Column(a); }, ordered, own,
             reportedRest[static_cast<std::size_t>(a)]);
      LowerTo(first.restBound[static_cast<std::size_t>(a)], own);
    }
    shared->Exchange(group, reportedMain, reportedRest, first.mainBound, first.restBound);
    for (std::size_t k = 1; k < lanes.size(); ++k) {
      lanes[k].mainBound = first.mainBound;
      lanes[k].restBound = first.restBound;
    }
  }

  static void LowerTo(double& bound, double value) {
    if (value < bound) bound = value;
  }
};

FastEngineGroup::FastEngineGroup(std::span<const SimulationRun> runs, std::span<RandomSource* const> sources,
                                 MergeBounds* bounds, int team)
    : members_(std::make_unique<Members>()) {
  Members& m = *members_;
  if (runs.empty()) return;
  team = std::clamp(team, 1, static_cast<int>(runs.size()));
  for (std::size_t k = 0; k < runs.size(); ++k) {
    m.laneOf.push_back(static_cast<int>(k * static_cast<std::size_t>(team) / runs.size()));
  }
  // The first engine packs the factor and builds the revaluation columns
  // that the others share; the others are made by their lanes' threads at
  // once (each fills its own working memory, the larger part of the work).
  m.engines.resize(runs.size());
  m.engines[0] = std::make_unique<FastEngine>(runs[0], *sources[0]);
  const auto makeLane = [&](int lane) {
    for (std::size_t k = 1; k < runs.size(); ++k) {
      if (m.laneOf[k] == lane) m.engines[k] = std::make_unique<FastEngine>(runs[k], *sources[k], m.engines[0].get());
    }
  };
  std::vector<std::thread> makers;
  std::vector<std::exception_ptr> failures(static_cast<std::size_t>(team));
  for (int lane = 1; lane < team; ++lane) {
    makers.emplace_back([&, lane] {
      AllowHelperThreadOnThisThread(false);
      try {
        makeLane(lane);
      } catch (...) {
        failures[static_cast<std::size_t>(lane)] = std::current_exception();
      }
    });
  }
  try {
    makeLane(0);
  } catch (...) {
    failures[0] = std::current_exception();
  }
  for (std::thread& maker : makers) maker.join();
  for (const std::exception_ptr& failure : failures) {
    if (failure) std::rethrow_exception(failure);
  }
  m.panels = m.engines[0]->Panels();
  m.issuerCount = m.engines[0]->IssuerCount();
  m.assetCount = m.engines[0]->AssetCount();
  m.lanes.resize(static_cast<std::size_t>(team));
  if (bounds != nullptr && bounds->Active()) {
    m.shared = bounds;
    Members::Lane& first = m.lanes[0];
    first.mainBound = std::numeric_limits<double>::infinity();
    first.restBound.assign(static_cast<std::size_t>(bounds->AssetCount()), first.mainBound);
    m.group = bounds->Join(static_cast<int>(m.engines.size()), first.mainBound, first.restBound);
    m.reportedRest.resize(first.restBound.size());
    for (Members::Lane& lane : m.lanes) {
      lane.mainBound = first.mainBound;
      lane.restBound = first.restBound;
    }
    for (std::size_t k = 0; k < m.engines.size(); ++k) {
      Members::Lane& lane = m.lanes[static_cast<std::size_t>(m.laneOf[k])];
      m.engines[k]->ShareTailBounds(&lane.mainBound, lane.restBound.data());
    }
  }
  if (team > 1) {
    m.barrier = std::make_unique<TeamBarrier>(team);
    for (int lane = 1; lane < team; ++lane) m.helpers.emplace_back([&m, lane] { m.Help(lane); });
  }
}

FastEngineGroup::~FastEngineGroup() {
  if (!members_ || members_->helpers.empty()) return;
  members_->stop = true;
  members_->calls.fetch_add(1, std::memory_order_release);
  for (std::thread& helper : members_->helpers) helper.join();
}

void FastEngineGroup::RunScenarios(std::span<const std::size_t> members, std::int32_t first,
                                   std::span<const std::int32_t> lasts) {
  Members& m = *members_;
  if (m.engines.empty()) return;
  if (!m.helpers.empty()) {
    m.callMembers = members;
    m.callFirst = first;
    m.callLasts = lasts;
    m.calls.fetch_add(1, std::memory_order_release);
  }
  m.RunLane(0, members, first, lasts);
}

void FastEngineGroup::Complete() {
  Members& m = *members_;
  if (m.engines.empty()) return;
  if (!m.helpers.empty()) {
    m.callCompletes = true;
    m.calls.fetch_add(1, std::memory_order_release);
  }
  m.CompleteLane(0);
}

std::unique_ptr<ScenarioEngine> MakeFastEngine(const SimulationRun& run, RandomSource& source) {
  return std::make_unique<FastEngine>(run, source);
}

void AllowHelperThreadOnThisThread(bool allowed) { helperAllowedOnThisThread = allowed; }

std::size_t PeakFastEngineWorkingBytes() { return peakWorkingBytes.load(); }

void ResetPeakFastEngineWorkingBytes() { peakWorkingBytes.store(liveWorkingBytes.load()); }

bool LastFastEngineUsedHelperThread() { return lastUsedHelper.load(std::memory_order_relaxed); }

void SetFastEngineOverlapThreshold(std::int64_t work) { overlapThreshold.store(work, std::memory_order_relaxed); }

void SetTeamFactorBytes(std::size_t bytes) { teamFactorBytes.store(bytes); }
std::size_t TeamFactorBytes() { return teamFactorBytes.load(); }

std::int64_t FastEngineOverlapThreshold() { return overlapThreshold.load(std::memory_order_relaxed); }

}  // namespace creditsim
