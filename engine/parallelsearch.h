// The searching pass with several workers, or as one shard of a search spread over many
// processes. The sets are dealt in runs (setdealer.h); each worker walks the targets' sets with a
// context and a mode of its own and searches the runs it is dealt, while the results reach the
// sink in the order of a search by one worker alone (resultorder.h). The catalogue, the automaton
// and the search map are shared and only read.
#pragma once

#include <cstdint>

#include "engine/componentsets.h"

namespace trelkan {

class SearchContext;

// Searches the sets of every target after counting found setCount of them. When it stops early,
// the context stands at the first set not searched in full, for the search to resume there.
void searchInParallel(SearchContext& context, const ModeMaker& makeMode, std::int64_t setCount);

}  // namespace trelkan
