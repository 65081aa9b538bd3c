// What a search runs on, fixed before it begins: the prepared catalogue and its automaton, the
// components that take part, the targets, and the settings that do not change while it runs.
#pragma once

#include <cstdint>
#include <set>
#include <vector>

#include "base/target.h"
#include "engine/setdealer.h"

namespace trelkan {

class ACTree;
class BasicComponent;
class ComponentRegister;

struct SearchInput {
    const ComponentRegister& catalogue;
    const ACTree& automaton;
    const std::set<Target, TargetLess>& targets;
    // The components with active variants, in index order.
    std::vector<BasicComponent*> components;
    // Sets numbered up to this one are counted but not searched.
    std::int64_t ignoreSets = 0;
    // Results are sorted by area: the solver then finds the least area of every chain.
    bool sortResults = false;
    // The bytes the process may take, 0 when not known: a search map that cannot fit in them
    // is not built.
    std::uint64_t memoryLimit = 0;
    // Workers that search sets at once; each has its own chain and solver storage.
    std::int32_t threads = 1;
    // The part of the sets this process searches, when the search is spread over many.
    Shard shard{};
};

}  // namespace trelkan
