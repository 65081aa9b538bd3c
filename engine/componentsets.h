// The common frame of both search modes: each splits every target's work into numbered component
// sets, counts them all first, then searches them in the same order, so that an interrupted run
// can say where it stopped and a later run can skip what is done.
#pragma once

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

// Counts the sets of every target, then searches them, with the progress messages.
void runComponentSets(SearchContext& context, ComponentSetSearch& mode);

}  // namespace trelkan
