// One search as the engine sees it while it runs: what it searches, where its results go, the set
// it has come to and what it has counted. The mode driver and the chain searches share it.
#pragma once

#include <atomic>
#include <cstdint>

#include "engine/searchinput.h"
#include "engine/searchsink.h"

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
};

class SearchContext {
  public:
    SearchContext(const SearchInput& input, SearchSink& sink)
        : m_input(input), m_sink(sink), m_running(sink.running()), m_areaBound(sink.areaBound()) {}
    SearchContext(const SearchContext&) = delete;
    SearchContext& operator=(const SearchContext&) = delete;

    const SearchInput& input() const { return m_input; }
    bool running() const { return m_running.load(std::memory_order_relaxed); }
    void progress(std::string_view line) { m_sink.progress(line); }

    // The set being counted or searched; 0 before the first. In 64 bits: long loops have more
    // than 2^31 sets.
    std::int64_t setNumber() const { return m_setNumber; }
    std::int64_t nextSet() { return ++m_setNumber; }
    // Numbers count sets at once, for a mode that can count them without finding them.
    void skipSets(std::int64_t count) { m_setNumber += count; }
    void restartSets() { m_setNumber = 0; }
    // Whether the current set lies beyond those to skip.
    bool setIsSearched() const { return m_setNumber > m_input.ignoreSets; }

    // The largest area still wanted, 0 for any.
    std::int32_t areaBound() const { return m_areaBound; }
    // The solver looks for the least area when results are sorted or their area is bounded.
    bool minimise() const { return m_input.sortResults || m_areaBound != 0; }

    // Hands a result to the sink, and takes up the bound it leaves; false when the search must
    // stop.
    bool report(CompoundComponent& chain, Direction inDir) {
        ++m_statistics.results;
        const bool goOn = m_sink.foundChain(chain, inDir, m_setNumber);
        m_areaBound = m_sink.areaBound();
        return goOn;
    }

    SearchStatistics& statistics() { return m_statistics; }
    const SearchStatistics& statistics() const { return m_statistics; }

  private:
    const SearchInput& m_input;
    SearchSink& m_sink;
    const std::atomic<bool>& m_running;
    std::int64_t m_setNumber = 0;
    std::int32_t m_areaBound = 0;
    SearchStatistics m_statistics;
};

}  // namespace trelkan
