#include "engine/looprules.h"

#include <algorithm>

#include "catalogue/actree.h"
#include "compound/compoundcomponent.h"

namespace trelkan {

// The chain itself has passed the automaton; what is left are the runs of the loop that cross
// its seam. Each is read from the root, from every later start, for as many components as the
// loop has (or as the longest forbidden sequence, if fewer). Longer runs come round to places
// already passed: as open chains they put a component on itself and cannot be realised, which
// says nothing about the loop, so they are not read.
bool isKnownLoopPrefix(const CompoundComponent& chain, const ACTree& automaton) {
    const std::int32_t length = chain.count();
    const std::int32_t window = std::min(length, ACTree::kMaxDepth);
    for (std::int32_t start = 1; start < length; ++start) {
        ACTree::State state = automaton.start();
        for (std::int32_t i = 0; i < window; ++i) {
            const BasicComponent* component = chain.place((start + i) % length).component();
            state = automaton.next(state, component->index());
            if (state == ACTree::kDead) {
                return false;
            }
        }
    }
    return true;
}

bool isCanonicalRotation(const CompoundComponent& chain) {
    const std::int32_t length = chain.count();
    const auto indexAt = [&chain](std::int32_t i) { return chain.place(i).component()->index(); };
    for (std::int32_t start = 1; start < length; ++start) {
        if (indexAt(start) != indexAt(0)) {
            continue;
        }
        for (std::int32_t j = 1; j < length; ++j) {
            const std::int32_t rotated = indexAt((start + j) % length);
            if (rotated != indexAt(j)) {
                if (rotated < indexAt(j)) {
                    return false;
                }
                break;
            }
        }
    }
    return true;
}

}  // namespace trelkan
