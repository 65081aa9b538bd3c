// A whole search in the mode asked for: in the search-map mode the map is built first; then both
// modes count their component sets for every target and search them.
#pragma once

#include <cstdint>

#include "engine/searchcontext.h"

namespace trelkan {

struct SearchOutcome {
    // The set the search came to: the last one when it ran to its end, else the one it stopped
    // in; 0 when it reached none.
    std::int64_t setNumber = 0;
    SearchStatistics statistics;
    // Memory ran out: the search stopped in the set above.
    bool outOfMemory = false;
    // The bytes a search map would have taken at the least, when it was not built because they
    // are more than the process may take; else 0.
    std::uint64_t mapBytesRefused = 0;
};

// An allocation failure anywhere in the search ends it as an interruption would, with
// outOfMemory set.
SearchOutcome runSearch(const SearchInput& input, SearchSink& sink, bool mapMode);

}  // namespace trelkan
