// Walking the automaton of forbidden sequences, for the tests of the tree and of its builder.
#pragma once

#include <cstdint>
#include <vector>

#include "catalogue/actree.h"

namespace trelkan::testing {

using Symbols = std::vector<std::int32_t>;

// The step of the walk from the root over s[begin..] that meets a null transition, or -1 when
// there is none. When given, depths receives the depth of the state after each good step.
inline int nullStep(const ACTree& tree, const Symbols& s, std::size_t begin = 0,
                    std::vector<std::int32_t>* depths = nullptr) {
    ACTree::State state = tree.start();
    for (std::size_t i = begin; i < s.size(); ++i) {
        state = tree.next(state, s[i]);
        if (state == ACTree::kDead) {
            return static_cast<int>(i);
        }
        if (depths != nullptr) {
            depths->push_back(tree.depth(state));
        }
    }
    return -1;
}

}  // namespace trelkan::testing
