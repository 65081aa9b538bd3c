// The one object that holds a run: the catalogue, the limits, the targets, and the results.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "base/target.h"

namespace trelkan {

class BasicComponent;
class ComponentRegister;
class CompoundComponent;

// Path of the definition file, relative to the working directory.
inline constexpr const char* kDefinitionFile = "data/data.ini";

// Counts kept while a search runs, reported on standard error when TRELKAN_STATS is set, so that
// benchmarks can see the work without touching the program's output.
struct SearchStatistics {
    std::uint64_t chainsExamined = 0;
    std::uint64_t composeCalls = 0;
    std::uint64_t partialChecks = 0;
    std::uint64_t results = 0;
    // The search map, when one was built: its states before and after the pruning, the most in one
    // generation, and the bytes of the blocks that hold them.
    std::int64_t mapGrownStates = 0;
    std::int64_t mapStates = -1;
    std::int64_t mapLargestGeneration = 0;
    std::uint64_t mapStorageBytes = 0;
};

// What the command line hands to a search run.
struct RunParameters {
    std::int32_t period = 0;
    std::int32_t compression = 0;
    std::int32_t maxCells = 0;
    std::uint32_t maxResults = 0;
    bool sortResults = false;
    std::int32_t treeSizeKB = 1000;
    std::int32_t ignoreSets = 0;
    bool mapMode = false;
};

class Search {
  public:
    Search();
    virtual ~Search();
    Search(const Search&) = delete;
    Search& operator=(const Search&) = delete;

    // Targets. A target with dt below 1 is dropped silently; a target equal in dt, dx, dy and dir
    // to one already held is discarded.
    void addTarget(std::int32_t dx, std::int32_t dy, std::int32_t dt, int dir);
    void addExtendedTarget(std::int32_t x1, std::int32_t y1, std::int32_t t1, int d1,
                           std::int32_t x2, std::int32_t y2, std::int32_t t2, int d2,
                           std::string label);
    // Drops the targets over maxLen and reports how many were kept.
    void acceptTargets(std::int32_t maxLen);

    // A whole search run: load and prepare the catalogue, search, report, close the files.
    void run(const RunParameters& parameters);
    // Draws the catalogue into the pattern file instead of searching.
    void generateTestPattern();

    // Called by the console interrupt handler only: it touches nothing but the two flags.
    void interrupt();

    // A chain that meets a target: printed at once, then drawn at once or kept for the sorted
    // report. The caller has checked the cell limit and, for loops, the loop tests.
    void recordResult(CompoundComponent& chain, int inDir);
    // The kept results by ascending area, each drawn until the result limit is used up.
    void reportSortedResults();

    // The search modes read and write the members below directly.
    std::unique_ptr<ComponentRegister> m_register;
    std::int32_t m_setNumber = 0;
    std::atomic<bool> m_interrupted{false};
    std::uint32_t m_resultLimit = 0;
    std::atomic<bool> m_keepSearching{false};
    std::vector<BasicComponent*> m_componentList;
    std::int32_t m_componentCount = 0;
    std::int32_t m_maxCells = 0;
    bool m_pruneSorted = false;
    bool m_sortResults = false;
    // True while every target added is a loop target.
    bool m_loopTargetsOnly = true;
    std::int32_t m_ignoreSets = 0;
    // The chain being built by the search modes.
    std::unique_ptr<CompoundComponent> m_cc;
    // Results kept for the sorted report, a heap with the smallest area on top.
    std::vector<std::unique_ptr<CompoundComponent>> m_results;
    std::set<Target, TargetLess> m_targets;
    SearchStatistics m_statistics;

    static_assert(std::atomic<bool>::is_always_lock_free,
                  "the interrupt handler may only touch lock-free flags");

  private:
    void insertTarget(Target target);
    void collectActiveComponents();
    void runMapMode();
    void writeCompletionLine() const;
    void reportStatistics() const;
    void printResultLine(CompoundComponent& chain, std::int32_t setNumber);
    // The test pattern: the grid of every variant and every allowed pair, then the sequences.
    void drawVariantGrid();
    void drawSequences();
    void keepResult(std::unique_ptr<CompoundComponent> result);
    std::unique_ptr<CompoundComponent> takeSmallestResult();
    void pruneResults();
};

// The process-wide current search, read by the console interrupt handler.
void setCurrentSearch(Search* search);
// Arms the handler for the interrupt signal; it re-arms itself on every delivery.
void installInterruptHandler();

}  // namespace trelkan
