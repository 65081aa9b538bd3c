// The forbidden sequences of components, gathered into a trie and turned into an Aho-Corasick
// automaton: the chain searches follow one transition per appended component and meet a null
// transition as soon as the chain ends with a forbidden sequence.
#pragma once

#include <array>
#include <cstdint>
#include <deque>
#include <span>

#include "catalogue/actreenode.h"

namespace trelkan {

class ACTree {
  public:
    // The longest sequence held.
    static constexpr std::int32_t kMaxDepth = 10;

    explicit ACTree(std::int32_t alphabetSize);
    virtual ~ACTree();
    ACTree(const ACTree&) = delete;
    ACTree& operator=(const ACTree&) = delete;

    // While building: whether some run of consecutive symbols (component indices) is a sequence
    // already inserted (true for an empty sequence).
    bool containsForbidden(std::span<const std::int32_t> symbols) const;
    // Adds the symbols as a forbidden sequence, unless it is too long or already contains one.
    void insert(std::span<const std::int32_t> symbols);
    // Turns the trie into the automaton; called once, last.
    void finalize();

    const ACTreeNode* root() const { return m_root; }
    std::int32_t nodeCount() const { return m_nodeCount; }
    std::int32_t sequenceCount() const { return m_sequenceCount; }
    std::int32_t alphabetSize() const { return m_alphabetSize; }

  private:
    // The two building operations read a sequence through symbolAt(i), i < length.
    template <typename SymbolAt>
    bool containsForbiddenIn(std::int32_t length, SymbolAt symbolAt) const;
    template <typename SymbolAt>
    void insertFrom(std::int32_t length, SymbolAt symbolAt);
    ACTreeNode& makeChild(ACTreeNode& parent, std::size_t symbol);

    void linkFailure(ACTreeNode& node);
    ACTreeNode* trieTransition(const ACTreeNode* failure, std::size_t symbol);
    void completeTransitions(ACTreeNode& node);
    static void cutForbiddenTransitions(ACTreeNode& node);
    bool transitionsAvoidForbidden() const;

    std::int32_t m_sequenceCount = 0;
    std::int32_t m_alphabetSize;
    // Nodes made by insertions, the root not counted.
    std::int32_t m_nodeCount = 0;
    // Owns every node, the root first; nodes never move once made.
    std::deque<ACTreeNode> m_nodes;
    ACTreeNode* m_root;
    // Heads of the lists of nodes of each depth, newest first.
    std::array<ACTreeNode*, kMaxDepth + 1> m_levels{};
    // Edges are trie edges before finalize and automaton transitions after it; the building
    // operations are only meaningful before.
    bool m_finalized = false;
};

}  // namespace trelkan
