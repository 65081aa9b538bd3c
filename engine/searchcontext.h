// One search as the engine sees it while it runs: what it searches, where its results go, the set
// it has come to, the sets it owns and what it has counted. The mode driver and the chain searches
// share it; a search with several workers gives each its own.
#pragma once

#include <algorithm>
#include <atomic>
#include <cassert>
#include <cstddef>
#include <cstdint>

#include "engine/searchinput.h"
#include "engine/searchprogress.h"
#include "engine/searchsink.h"
#include "engine/setdealer.h"

namespace trelkan {

// Counts kept while a search runs, for the benchmarks; outside the inner loops.
struct SearchStatistics {
    std::uint64_t chainsExamined = 0;
    std::uint64_t composeCalls = 0;
    std::uint64_t partialChecks = 0;
    // Components tried in a place of a chain by the active-set mode's orderings.
    std::uint64_t orderingSteps = 0;
    std::uint64_t results = 0;
    // The search map, when one was built: its states before and after the pruning, the most in one
    // generation, and the bytes of the blocks that hold them.
    std::int64_t mapGrownStates = 0;
    std::int64_t mapStates = -1;
    std::int64_t mapLargestGeneration = 0;
    std::uint64_t mapStorageBytes = 0;

    // Adds the counts of a worker's search; the map's are the same for all.
    void addSearch(const SearchStatistics& other) {
        chainsExamined += other.chainsExamined;
        composeCalls += other.composeCalls;
        partialChecks += other.partialChecks;
        orderingSteps += other.orderingSteps;
        results += other.results;
    }
};

// The workers of a search each have their own context, mode and ordering, written at every step:
// each lies on cache lines of its own, so that two workers never write to one line.
inline constexpr std::size_t kCacheLineBytes = 64;

// Where a context that owns runs of sets gets them: when it has gone past the last set of its run,
// that run is finished, and it asks for the next.
class SetRuns {
  public:
    virtual ~SetRuns() = default;
    virtual SetRun firstRun() = 0;
    virtual SetRun nextRun(const SetRun& finished) = 0;
};

class alignas(kCacheLineBytes) SearchContext {
  public:
    // stop, when given, is a second flag that ends the search: the workers of one search share it.
    SearchContext(const SearchInput& input, SearchSink& sink,
                  const std::atomic<bool>* stop = nullptr)
        : m_input(input),
          m_sink(sink),
          m_running(sink.running()),
          m_stop(stop != nullptr ? *stop : kNeverStopped),
          m_areaBound(sink.areaBound()),
          m_counts(sink.progressCounts() != nullptr ? *sink.progressCounts() : m_ownCounts) {}
    SearchContext(const SearchContext&) = delete;
    SearchContext& operator=(const SearchContext&) = delete;

    const SearchInput& input() const { return m_input; }
    SearchSink& sink() { return m_sink; }
    bool running() const {
        return m_running.load(std::memory_order_relaxed) && !m_stop.load(std::memory_order_relaxed);
    }
    void progress(std::string_view line) { m_sink.progress(line); }

    // The set being counted or searched; 0 before the first. In 64 bits: long loops have more
    // than 2^31 sets. Each set begins a slot, which holds the set and what comes after it up to
    // the next one.
    std::int64_t setNumber() const { return m_setNumber; }
    void nextSet() {
        if (++m_setNumber > m_run.last) {
            takeNextRun();
        }
        publishSetsPassed();
    }
    // Numbers count sets at once, for a mode that can count them without finding them; never past
    // a set that the context owns.
    void skipSets(std::int64_t count) {
        m_setNumber += count;
        assert(m_setNumber <= m_run.last);
        publishSetsPassed();
    }
    void restartSets() { m_setNumber = 0; }
    // Stands at the set where the workers of a parallel search stopped; the counts keep the sets
    // that they finished.
    void standAt(std::int64_t setNumber) {
        m_setNumber = setNumber;
        assert(m_setNumber <= m_run.last);
    }
    // Whether the current set lies beyond those to skip, in a run the context owns.
    bool setIsSearched() const {
        return m_setNumber >= m_run.first && m_setNumber > m_input.ignoreSets;
    }
    // The sets below this one are neither searched nor own a result, and the run the context owns
    // goes on past them: a mode that can skip them without finding them one by one may.
    std::int64_t firstWantedSet() const {
        return std::min(std::max(m_run.first, m_input.ignoreSets + 1), m_run.last);
    }

    // From now on the context owns only the runs that runs hands it, and the search ends after set
    // lastSet. Without this, it owns every set.
    void takeRuns(SetRuns& runs, std::int64_t lastSet) {
        m_runs = &runs;
        m_lastSet = lastSet;
        m_run = runs.firstRun();
    }
    const SetRun& run() const { return m_run; }
    // Whether every set the context may still own lies after the search's last one.
    bool isPastItsSets() const { return m_run.first > m_lastSet; }

    // The largest area still wanted, 0 for any.
    std::int32_t areaBound() const { return m_areaBound; }
    // The solver looks for the least area when results are sorted or their area is bounded.
    bool minimise() const { return m_input.sortResults || m_areaBound != 0; }

    // Hands a result to the sink, and takes up the bound it leaves; false when the search must
    // stop. A result in a slot that another context owns is dropped.
    bool report(CompoundComponent& chain, Direction inDir) {
        if (m_setNumber < m_run.first) {
            return running();
        }
        ++m_statistics.results;
        const bool goOn = m_sink.foundChain(chain, inDir, m_setNumber);
        m_areaBound = m_sink.areaBound();
        return goOn && running();
    }

    // The counts a reporter reads: the sink's, or the context's own when no one watches (as the
    // workers' contexts, whose sets the parallel search counts a run at a time).
    SearchProgress& progressCounts() { return m_counts; }
    // A stage of the search begins; while sets are counted or searched, the sets passed count as
    // done, those to skip excepted.
    void beginStage(SearchStage stage, std::int64_t total) {
        m_countedFrom = stage == SearchStage::kSearching ? m_input.ignoreSets : 0;
        m_counts.begin(stage, total);
    }

    SearchStatistics& statistics() { return m_statistics; }
    const SearchStatistics& statistics() const { return m_statistics; }

  private:
    // A set is done once the next one begins: one relaxed store, a set at a time.
    void publishSetsPassed() { m_counts.setDone(m_setNumber - 1 - m_countedFrom); }

    void takeNextRun() {
        assert(m_runs != nullptr);
        m_run = m_runs->nextRun(m_run);
        assert(m_run.first >= m_setNumber);
        // Other workers' results may have lowered the bound meanwhile.
        m_areaBound = m_sink.areaBound();
    }

    static inline const std::atomic<bool> kNeverStopped{false};

    const SearchInput& m_input;
    SearchSink& m_sink;
    const std::atomic<bool>& m_running;
    const std::atomic<bool>& m_stop;
    std::int64_t m_setNumber = 0;
    // The run of slots the context owns now; all of them unless it takes runs.
    SetRun m_run;
    SetRuns* m_runs = nullptr;
    std::int64_t m_lastSet = SetRun::kEndless;
    std::int32_t m_areaBound = 0;
    SearchProgress m_ownCounts;
    SearchProgress& m_counts;
    std::int64_t m_countedFrom = 0;
    SearchStatistics m_statistics;
};

}  // namespace trelkan
