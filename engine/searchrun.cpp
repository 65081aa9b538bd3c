#include "engine/searchrun.h"

#include <iterator>
#include <memory>
#include <new>

#include "engine/activesetsearch.h"
#include "engine/mapchainsearch.h"
#include "engine/searchmap.h"
#include "engine/setcompletions.h"

namespace trelkan {
namespace {

// Without targets the mode ends before its first message; nothing is made of a map that cannot
// fit in memory.
void runMapMode(SearchContext& context, SearchOutcome& outcome) {
    const SearchInput& input = context.input();
    if (input.targets.empty()) {
        return;
    }
    const std::uint64_t bytes = SearchMap::leastBytes(std::prev(input.targets.end())->dt);
    if (input.memoryLimit != 0 && bytes > input.memoryLimit) {
        outcome.mapBytesRefused = bytes;
        return;
    }
    const SearchMap map(context);
    if (!map.isComplete()) {
        return;
    }
    SearchStatistics& statistics = context.statistics();
    statistics.mapGrownStates = map.grownStates();
    statistics.mapStates = map.totalStates();
    statistics.mapLargestGeneration = map.largestGeneration();
    statistics.mapStorageBytes = map.storageBytes();
    runComponentSets(context, [&map](SearchContext& worker) {
        return std::make_unique<MapChainSearch>(worker, map);
    });
}

}  // namespace

SearchOutcome runSearch(const SearchInput& input, SearchSink& sink, bool mapMode) {
    SearchContext context(input, sink);
    SearchOutcome outcome;
    try {
        if (!input.components.empty()) {
            if (mapMode) {
                runMapMode(context, outcome);
            } else {
                const auto completions = std::make_shared<const SetCompletions>(input);
                runComponentSets(context, [&completions](SearchContext& worker) {
                    return std::make_unique<ActiveSetSearch>(worker, completions);
                });
            }
        }
    } catch (const std::bad_alloc&) {
        // Everything the search held is gone with the unwinding; the results are the sink's.
        outcome.outOfMemory = true;
    }
    outcome.setNumber = context.setNumber();
    outcome.statistics = context.statistics();
    return outcome;
}

}  // namespace trelkan
