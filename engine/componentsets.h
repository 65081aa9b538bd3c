// The common frame of both search modes: each splits every target's work into numbered component
// sets, counts them all first, then searches them in the same order, so that an interrupted run
// can say where it stopped and a later run can skip what is done.
#pragma once

#include <functional>
#include <memory>

#include "base/target.h"

namespace trelkan {

class SearchContext;

enum class SetPass { kCounting, kSearching };

// One search mode: how the sets of a target are found and searched.
class ComponentSetSearch {
  public:
    virtual ~ComponentSetSearch() = default;

    // Finds the target's sets in a fixed order, numbering each in the search's set counter; in
    // the searching pass the sets numbered above the skip count are searched.
    virtual void enumerateSets(const Target& target, SetPass pass) = 0;

    // Whether the mode also finds chains that belong to no set, so that a target must be searched
    // even when every set is already numbered.
    virtual bool findsChainsOutsideSets() const { return false; }
};

// Makes a mode's search for a context: one for the search, and one per worker when it has several.
using ModeMaker = std::function<std::unique_ptr<ComponentSetSearch>(SearchContext&)>;

// Counts the sets of every target, then searches them, with the progress messages: in the calling
// thread, or with the input's workers and shard. The results reach the context's sink in the same
// order either way.
void runComponentSets(SearchContext& context, const ModeMaker& makeMode);

// The searching pass of one context over the sets it owns, for every target in turn.
void searchTargets(SearchContext& context, ComponentSetSearch& mode, std::int64_t setCount);

}  // namespace trelkan
