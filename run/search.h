// A search run: the targets and limits of the command line, the results and how they are
// reported. The search engine reports to it through the sink interface.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "base/targetset.h"
#include "engine/searchrun.h"
#include "engine/searchsink.h"
#include "run/console.h"
#include "run/progressreporter.h"
#include "run/shardmerge.h"

namespace trelkan {

class BasicComponent;
class ComponentRegister;
class CompoundComponent;

// Path of the definition file, relative to the working directory.
inline constexpr const char* kDefinitionFile = "data/data.ini";

// The exit status of a run that could not be completed: memory ran out, or an output could not
// be written.
inline constexpr int kFailedRun = 3;

// What the command line hands to a search run.
struct RunParameters {
    std::int32_t period = 0;
    std::int32_t compression = 0;
    std::int32_t maxCells = 0;
    std::uint32_t maxResults = 0;
    bool sortResults = false;
    std::int32_t treeSizeKB = 1000;
    std::int64_t ignoreSets = 0;
    bool mapMode = false;
    // Worker threads; 0 for every core the process may use.
    std::int32_t threads = 0;
    Shard shard;
    ProgressChoice progress = ProgressChoice::kOnTerminal;
};

// The definition file read for a run, its messages on the console; on a fault, nothing, with the
// fault reported there too.
std::unique_ptr<ComponentRegister> loadCatalogue(Console& console);

// The least of the machine's memory and the limits set on the process's address space and data.
std::uint64_t memoryLimit();

// The cores the process may run on.
std::int32_t usableCores();

// The components of the prepared catalogue with active variants, in index order: what a search
// takes part with.
std::vector<BasicComponent*> activeComponents(const ComponentRegister& catalogue);

// Memory ran out before the search began: says so, closes the files; the exit status.
int endOutOfMemory(Console& console);

class Search final : public SearchSink {
  public:
    Search(Console& console, TargetSet targets);
    ~Search() override;
    Search(const Search&) = delete;
    Search& operator=(const Search&) = delete;

    const TargetSet& targets() const { return m_targets; }
    // Drops the targets over maxLen and reports how many were kept.
    void acceptTargets(std::int32_t maxLen);

    // Searches the prepared catalogue, which holds its tree, then reports the sorted results and
    // how the search ended, and closes the console's files. The exit status: 0, or kFailedRun
    // when memory ran out.
    int run(const ComponentRegister& catalogue, const RunParameters& parameters);

    // Hands on the results of a merge of shards, after their messages, as if the search had found
    // them; then reports as run does.
    int replay(std::string_view header, std::vector<ShardMerge::Result>& results,
               const RunParameters& parameters);

    // Called by the stop signals' handler only: it touches nothing but the two flags. False when
    // the search had been interrupted before.
    bool interrupt();

    // What the engine reports. A chain that meets a target is printed at once, then drawn at once
    // or kept for the sorted report; the engine has checked the cell limit and, for loops, the
    // loop tests. Keeping the smallest results lowers the area bound.
    bool foundChain(CompoundComponent& chain, Direction inDir, std::int64_t setNumber) override;
    std::int32_t areaBound() const override { return m_maxCells; }
    void progress(std::string_view line) override;
    const std::atomic<bool>& running() const override { return m_keepSearching; }
    SearchProgress* progressCounts() override {
        return m_reporter != nullptr ? m_reporter->counts() : nullptr;
    }

    static_assert(std::atomic<bool>::is_always_lock_free,
                  "the interrupt handler may only touch lock-free flags");

  private:
    void takeParameters(const RunParameters& parameters);
    // Reports the sorted results and how the search ended, and closes the files; the exit status.
    int finish(const SearchOutcome& outcome, std::uint64_t memoryLimit);
    void writeCompletionLine(std::int64_t setNumber) const;
    void reportStatistics(const SearchOutcome& outcome) const;
    void printResultLine(CompoundComponent& chain, std::int64_t setNumber);
    void drawResult(const CompoundComponent& result, bool whileSearching);
    // The kept results by ascending area, each drawn until the result limit is used up.
    void reportSortedResults();
    void keepResult(std::unique_ptr<CompoundComponent> result);
    std::unique_ptr<CompoundComponent> takeSmallestResult();
    void pruneResults();

    Console& m_console;
    TargetSet m_targets;
    // Set from the start, so that an interruption while the catalogue is loaded and prepared
    // stops the search before it begins.
    std::atomic<bool> m_interrupted{false};
    std::atomic<bool> m_keepSearching{true};
    // The progress reports of the search that runs; none outside run.
    ProgressReporter* m_reporter = nullptr;
    // Results printed while searching.
    std::int64_t m_resultsFound = 0;
    std::uint32_t m_resultLimit = 0;
    // The largest area of a result still wanted, 0 for any; lowered as the results are pruned.
    std::int32_t m_maxCells = 0;
    bool m_pruneSorted = false;
    bool m_sortResults = false;
    // Results kept for the sorted report, a heap with the smallest area on top.
    std::vector<std::unique_ptr<CompoundComponent>> m_results;
};

// Arms the handler of the stop signals (Ctrl+C, SIGTERM and SIGHUP): the first stops the search,
// a second ends the program at once. It re-arms itself on every delivery.
void installInterruptHandler(Search& search);

}  // namespace trelkan
