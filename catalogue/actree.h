// The forbidden sequences of components, gathered into a trie and turned into an Aho-Corasick
// automaton: the chain searches follow one transition per appended component and meet a null
// transition as soon as the chain ends with a forbidden sequence.
#pragma once

#include <array>
#include <cassert>
#include <cstdint>
#include <span>
#include <vector>

#include "catalogue/actreenode.h"

namespace trelkan {

class ACTree {
  public:
    // The longest sequence held.
    static constexpr std::int32_t kMaxDepth = 10;
    // A state of the finished automaton: where its row starts in the table of transitions, so
    // that a step is one load. kDead is the step that completes a forbidden sequence.
    using State = std::int32_t;
    static constexpr State kDead = -1;

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

    // The finished automaton. The walk starts at start() and follows next() once per appended
    // component; kDead says the chain now ends with a forbidden sequence.
    State start() const { return 0; }
    State next(State state, std::int32_t symbol) const {
        assert(m_finalized && state >= 0 && symbol >= 0 && symbol < m_alphabetSize);
        return m_transitions[static_cast<std::size_t>(state) + static_cast<std::size_t>(symbol)];
    }
    // The length of the longest suffix of the chain so far that some sequence begins with.
    std::int32_t depth(State state) const { return node(state).m_depth; }

    // Beside the sequences, which the tree holds as far as its room allows, it keeps every pair of
    // components that no chain can hold in a row: the walks test a step against both. The pairs
    // change neither the nodes nor the sequences.
    void forbidPair(std::int32_t first, std::int32_t second) {
        m_pairAllowed[pairIndex(first, second)] = 0;
    }
    bool allowsPair(std::int32_t first, std::int32_t second) const {
        return m_pairAllowed[pairIndex(first, second)] != 0;
    }

    std::int32_t nodeCount() const { return m_nodeCount; }
    std::int32_t sequenceCount() const { return m_sequenceCount; }
    std::int32_t alphabetSize() const { return m_alphabetSize; }

  private:
    static constexpr std::int32_t kNone = -1;

    std::size_t pairIndex(std::int32_t first, std::int32_t second) const {
        assert(first >= 0 && first < m_alphabetSize && second >= 0 && second < m_alphabetSize);
        return static_cast<std::size_t>(first) * static_cast<std::size_t>(m_alphabetSize) +
               static_cast<std::size_t>(second);
    }
    // While building, the table holds node indices; finalize turns them into row starts.
    std::int32_t& edge(std::int32_t node, std::size_t symbol) {
        return m_transitions[rowStart(node) + symbol];
    }
    std::int32_t edge(std::int32_t node, std::size_t symbol) const {
        return m_transitions[rowStart(node) + symbol];
    }
    std::size_t rowStart(std::int32_t node) const {
        return static_cast<std::size_t>(node) * static_cast<std::size_t>(m_alphabetSize);
    }
    const ACTreeNode& node(State state) const {
        assert(m_finalized && state >= 0);
        return m_nodes[m_alphabetSize == 0 ? 0 : static_cast<std::size_t>(state / m_alphabetSize)];
    }

    // The two building operations read a sequence through symbolAt(i), i < length.
    template <typename SymbolAt>
    bool containsForbiddenIn(std::int32_t length, SymbolAt symbolAt) const;
    template <typename SymbolAt>
    void insertFrom(std::int32_t length, SymbolAt symbolAt);
    std::int32_t makeChild(std::int32_t parent, std::size_t symbol);

    template <typename Visit>
    void forEachNodeAt(std::int32_t depth, Visit visit);
    void linkFailure(std::int32_t node);
    std::int32_t trieTransition(std::int32_t failure, std::size_t symbol) const;
    void completeTransitions(std::int32_t node);
    void turnIntoStates();
    bool transitionsAvoidForbidden() const;

    std::int32_t m_sequenceCount = 0;
    std::int32_t m_alphabetSize;
    // Nodes made by insertions, the root not counted.
    std::int32_t m_nodeCount = 0;
    // Every node, the root first, and their transitions, a row of m_alphabetSize per node: 4
    // bytes a symbol and 16 a node, within the 24 + 4 per symbol that the budget counts.
    std::vector<ACTreeNode> m_nodes;
    std::vector<std::int32_t> m_transitions;
    // Heads of the lists of nodes of each depth, newest first.
    std::array<std::int32_t, kMaxDepth + 1> m_levels;
    // Edges are trie edges before finalize and automaton transitions after it; the building
    // operations are only meaningful before.
    bool m_finalized = false;
    // Row first, column second: 1 where the second may follow the first.
    std::vector<std::uint8_t> m_pairAllowed;
};

}  // namespace trelkan
