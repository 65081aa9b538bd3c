#include "catalogue/actree.h"

#include <cassert>
#include <limits>
#include <new>

namespace trelkan {
namespace {

std::size_t symbolIndex(std::int32_t symbol) {
    return static_cast<std::size_t>(symbol);
}

}  // namespace

ACTree::ACTree(std::int32_t alphabetSize)
    : m_alphabetSize(alphabetSize),
      m_pairAllowed(static_cast<std::size_t>(alphabetSize) * static_cast<std::size_t>(alphabetSize),
                    1) {
    assert(alphabetSize >= 0);
    m_nodes.emplace_back(0, kNone);
    m_transitions.assign(static_cast<std::size_t>(alphabetSize), kNone);
    m_levels.fill(kNone);
    m_levels[0] = 0;
}

ACTree::~ACTree() = default;

// Visits the nodes of one depth in list order (newest first).
template <typename Visit>
void ACTree::forEachNodeAt(std::int32_t depth, Visit visit) {
    for (std::int32_t node = m_levels[static_cast<std::size_t>(depth)]; node != kNone;
         node = m_nodes[static_cast<std::size_t>(node)].m_nextInLevel) {
        visit(node);
    }
}

template <typename SymbolAt>
bool ACTree::containsForbiddenIn(std::int32_t length, SymbolAt symbolAt) const {
    assert(!m_finalized);
    // An empty chain counts as forbidden, so that it is never stored: storing it would mark the
    // root and forbid every chain.
    if (length == 0) {
        return true;
    }
    for (std::int32_t start = 0; start < length; ++start) {
        std::int32_t node = 0;
        for (std::int32_t i = start; i < length; ++i) {
            const std::size_t symbol = symbolAt(i);
            assert(symbol < static_cast<std::size_t>(m_alphabetSize));
            node = edge(node, symbol);
            if (node == kNone) {
                break;
            }
            if (m_nodes[static_cast<std::size_t>(node)].m_forbidden) {
                return true;
            }
        }
    }
    return false;
}

template <typename SymbolAt>
void ACTree::insertFrom(std::int32_t length, SymbolAt symbolAt) {
    assert(!m_finalized);
    // The automaton has no state deeper than the longest sequence; a sequence that holds a
    // stored one adds nothing, since the stored one already ends every chain that holds both.
    if (length > kMaxDepth || containsForbiddenIn(length, symbolAt)) {
        return;
    }
    std::int32_t node = 0;
    for (std::int32_t i = 0; i < length; ++i) {
        const std::size_t symbol = symbolAt(i);
        assert(symbol < static_cast<std::size_t>(m_alphabetSize));
        const std::int32_t child = edge(node, symbol);
        node = child != kNone ? child : makeChild(node, symbol);
    }
    // The node may be the inner node of a longer sequence stored earlier; it ends this one all
    // the same.
    m_nodes[static_cast<std::size_t>(node)].m_forbidden = true;
    ++m_sequenceCount;
}

std::int32_t ACTree::makeChild(std::int32_t parent, std::size_t symbol) {
    const std::int32_t depth = m_nodes[static_cast<std::size_t>(parent)].m_depth + 1;
    assert(depth <= kMaxDepth);
    // A state is the start of its row, a 32-bit number: a table that outgrows it cannot be
    // walked, and is treated as the memory it would take.
    const std::size_t rows = m_nodes.size() + 1;
    if (rows * static_cast<std::size_t>(m_alphabetSize) >
        static_cast<std::size_t>(std::numeric_limits<State>::max())) {
        throw std::bad_alloc();
    }
    const auto child = static_cast<std::int32_t>(m_nodes.size());
    ACTreeNode& made = m_nodes.emplace_back(depth, parent);
    m_transitions.resize(m_transitions.size() + static_cast<std::size_t>(m_alphabetSize), kNone);
    std::int32_t& head = m_levels[static_cast<std::size_t>(depth)];
    made.m_nextInLevel = head;
    head = child;
    edge(parent, symbol) = child;
    ++m_nodeCount;
    return child;
}

bool ACTree::containsForbidden(std::span<const std::int32_t> symbols) const {
    assert(symbols.size() <= static_cast<std::size_t>(INT32_MAX));
    return containsForbiddenIn(
        static_cast<std::int32_t>(symbols.size()),
        [symbols](std::int32_t i) { return symbolIndex(symbols[static_cast<std::size_t>(i)]); });
}

void ACTree::insert(std::span<const std::int32_t> symbols) {
    // Longer than any sequence the tree holds: ignored, and the length may not fit the count.
    if (symbols.size() > static_cast<std::size_t>(kMaxDepth)) {
        return;
    }
    insertFrom(static_cast<std::int32_t>(symbols.size()), [symbols](std::int32_t i) {
        return symbolIndex(symbols[static_cast<std::size_t>(i)]);
    });
}

void ACTree::finalize() {
    assert(!m_finalized);
    // Failure links, shallow to deep: a node's link and its forbidden mark rest on those of
    // shallower nodes. Nodes of depth 1 already link to the root, and the nodes of the deepest
    // level are all forbidden ends, never reached once the cut is made.
    for (std::int32_t depth = 2; depth < kMaxDepth; ++depth) {
        forEachNodeAt(depth, [this](std::int32_t node) { linkFailure(node); });
    }
    // Deep to shallow, so that every node on a failure chain still shows only its trie edges.
    for (std::int32_t depth = kMaxDepth - 1; depth >= 0; --depth) {
        forEachNodeAt(depth, [this](std::int32_t node) { completeTransitions(node); });
    }
    turnIntoStates();
    m_finalized = true;
    assert(transitionsAvoidForbidden());
}

// While the failure links are made, m_link of a node of this depth is still its parent, and the
// parent's m_link is already the parent's failure link.
void ACTree::linkFailure(std::int32_t node) {
    ACTreeNode& made = m_nodes[static_cast<std::size_t>(node)];
    const std::int32_t parent = made.m_link;
    std::size_t symbol = 0;
    while (edge(parent, symbol) != node) {
        ++symbol;
        assert(symbol < static_cast<std::size_t>(m_alphabetSize));
    }
    std::int32_t fallback = m_nodes[static_cast<std::size_t>(parent)].m_link;
    while (fallback != kNone && edge(fallback, symbol) == kNone) {
        fallback = m_nodes[static_cast<std::size_t>(fallback)].m_link;
    }
    made.m_link = fallback != kNone ? edge(fallback, symbol) : 0;
    const ACTreeNode& link = m_nodes[static_cast<std::size_t>(made.m_link)];
    assert(link.m_depth < made.m_depth);
    // A forbidden suffix forbids the whole sequence.
    if (link.m_forbidden) {
        made.m_forbidden = true;
    }
}

// The step on symbol from a node without that trie edge: the trie edge of the first node on its
// failure chain that has one, else back to the root.
std::int32_t ACTree::trieTransition(std::int32_t failure, std::size_t symbol) const {
    for (; failure != kNone; failure = m_nodes[static_cast<std::size_t>(failure)].m_link) {
        if (const std::int32_t next = edge(failure, symbol); next != kNone) {
            return next;
        }
    }
    return 0;
}

void ACTree::completeTransitions(std::int32_t node) {
    const std::int32_t link = m_nodes[static_cast<std::size_t>(node)].m_link;
    for (std::size_t symbol = 0; symbol < static_cast<std::size_t>(m_alphabetSize); ++symbol) {
        if (edge(node, symbol) == kNone) {
            edge(node, symbol) = trieTransition(link, symbol);
        }
    }
}

// Node indices become row starts, and a step into a forbidden node would make the chain end with
// a forbidden sequence: the search must learn it from kDead alone. The rows of the deepest level
// were never completed; its nodes are all forbidden ends, never reached.
void ACTree::turnIntoStates() {
    static_assert(kNone == kDead);
    for (std::int32_t& next : m_transitions) {
        if (next != kNone) {
            next = m_nodes[static_cast<std::size_t>(next)].m_forbidden
                       ? kDead
                       : static_cast<State>(rowStart(next));
        }
    }
}

bool ACTree::transitionsAvoidForbidden() const {
    for (std::size_t row = 0; row < m_nodes.size(); ++row) {
        const ACTreeNode& from = m_nodes[row];
        for (std::size_t symbol = 0; symbol < static_cast<std::size_t>(m_alphabetSize); ++symbol) {
            const State next = m_transitions[rowStart(static_cast<std::int32_t>(row)) + symbol];
            if (next != kDead &&
                (node(next).m_forbidden || node(next).m_depth > from.m_depth + 1)) {
                return false;
            }
        }
    }
    return true;
}

}  // namespace trelkan
