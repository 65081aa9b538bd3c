// A node of the forbidden-sequence tree: first a trie node, then a state of the automaton.
#pragma once

#include <cstdint>
#include <vector>

namespace trelkan {

class ACTreeNode {
  public:
    ACTreeNode(std::int32_t alphabetSize, std::int32_t depth, ACTreeNode* link);
    virtual ~ACTreeNode() = default;
    ACTreeNode(const ACTreeNode&) = delete;
    ACTreeNode& operator=(const ACTreeNode&) = delete;

    // One entry per component index. While the trie is built: its child edges. Once finalised:
    // the automaton's transitions, null where the step would complete a forbidden sequence.
    std::vector<ACTreeNode*> m_ptr;
    // Length of the sequence from the root to this node.
    std::int32_t m_depth;
    // The parent while the trie is built; afterwards the failure link.
    ACTreeNode* m_link;
    // The next node of the same depth.
    ACTreeNode* m_nextInLevel = nullptr;
    // A forbidden sequence ends here (or, once finalised, at a suffix of the node's sequence).
    bool m_forbidden = false;
};

}  // namespace trelkan
