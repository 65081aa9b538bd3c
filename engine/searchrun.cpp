#include "engine/searchrun.h"

#include "engine/activesetsearch.h"
#include "engine/mapchainsearch.h"
#include "engine/searchmap.h"

namespace trelkan {
namespace {

// Without targets the mode ends before its first message.
void runMapMode(SearchContext& context) {
    if (context.input().targets.empty()) {
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
    MapChainSearch mode(context, map);
    runComponentSets(context, mode);
}

}  // namespace

SearchOutcome runSearch(const SearchInput& input, SearchSink& sink, bool mapMode) {
    SearchContext context(input, sink);
    if (!input.components.empty()) {
        if (mapMode) {
            runMapMode(context);
        } else {
            ActiveSetSearch mode(context);
            runComponentSets(context, mode);
        }
    }
    return {context.setNumber(), context.statistics()};
}

}  // namespace trelkan
