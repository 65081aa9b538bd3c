// A node of the forbidden-sequence tree: first a trie node, then a state of the automaton. Its
// edges live in the tree's one table of transitions, a row per node.
#pragma once

#include <cstdint>

namespace trelkan {

class ACTreeNode {
  public:
    ACTreeNode(std::int32_t depth, std::int32_t link) : m_depth(depth), m_link(link) {}

    // Length of the sequence from the root to this node.
    std::int32_t m_depth;
    // The parent's index while the trie is built; afterwards the failure link's (-1 at the root).
    std::int32_t m_link;
    // The index of the next node of the same depth, -1 at the end of the list.
    std::int32_t m_nextInLevel = -1;
    // A forbidden sequence ends here (or, once finalised, at a suffix of the node's sequence).
    bool m_forbidden = false;
};

}  // namespace trelkan
