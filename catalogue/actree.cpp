#include "catalogue/actree.h"

#include <cassert>

namespace trelkan {
namespace {

std::size_t symbolIndex(std::int32_t symbol) {
    return static_cast<std::size_t>(symbol);
}

// Visits the nodes of one depth in list order (newest first).
template <typename Visit>
void forEachNodeAt(ACTreeNode* head, Visit visit) {
    for (ACTreeNode* node = head; node != nullptr; node = node->m_nextInLevel) {
        visit(*node);
    }
}

}  // namespace

ACTree::ACTree(std::int32_t alphabetSize) : m_alphabetSize(alphabetSize) {
    assert(alphabetSize >= 0);
    m_nodes.emplace_back(alphabetSize, 0, nullptr);
    m_root = &m_nodes.front();
    m_levels[0] = m_root;
}

ACTree::~ACTree() = default;

template <typename SymbolAt>
bool ACTree::containsForbiddenIn(std::int32_t length, SymbolAt symbolAt) const {
    assert(!m_finalized);
    // An empty chain counts as forbidden, so that it is never stored: storing it would mark the
    // root and forbid every chain.
    if (length == 0) {
        return true;
    }
    for (std::int32_t start = 0; start < length; ++start) {
        const ACTreeNode* node = m_root;
        for (std::int32_t i = start; i < length; ++i) {
            const std::size_t symbol = symbolAt(i);
            assert(symbol < node->m_ptr.size());
            node = node->m_ptr[symbol];
            if (node == nullptr) {
                break;
            }
            if (node->m_forbidden) {
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
    ACTreeNode* node = m_root;
    for (std::int32_t i = 0; i < length; ++i) {
        const std::size_t symbol = symbolAt(i);
        assert(symbol < node->m_ptr.size());
        ACTreeNode* child = node->m_ptr[symbol];
        node = child != nullptr ? child : &makeChild(*node, symbol);
    }
    // The node may be the inner node of a longer sequence stored earlier; it ends this one all
    // the same.
    node->m_forbidden = true;
    ++m_sequenceCount;
}

ACTreeNode& ACTree::makeChild(ACTreeNode& parent, std::size_t symbol) {
    const std::int32_t depth = parent.m_depth + 1;
    assert(depth <= kMaxDepth);
    ACTreeNode& child = m_nodes.emplace_back(m_alphabetSize, depth, &parent);
    ACTreeNode*& head = m_levels[static_cast<std::size_t>(depth)];
    child.m_nextInLevel = head;
    head = &child;
    parent.m_ptr[symbol] = &child;
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
        forEachNodeAt(m_levels[static_cast<std::size_t>(depth)],
                      [this](ACTreeNode& node) { linkFailure(node); });
    }
    // Deep to shallow, so that every node on a failure chain still shows only its trie edges.
    for (std::int32_t depth = kMaxDepth - 1; depth >= 0; --depth) {
        forEachNodeAt(m_levels[static_cast<std::size_t>(depth)],
                      [this](ACTreeNode& node) { completeTransitions(node); });
    }
    for (std::int32_t depth = 0; depth < kMaxDepth; ++depth) {
        forEachNodeAt(m_levels[static_cast<std::size_t>(depth)], cutForbiddenTransitions);
    }
    m_finalized = true;
    assert(transitionsAvoidForbidden());
}

// While the failure links are made, m_link of a node of this depth is still its parent, and the
// parent's m_link is already the parent's failure link.
void ACTree::linkFailure(ACTreeNode& node) {
    const ACTreeNode& parent = *node.m_link;
    std::size_t symbol = 0;
    while (parent.m_ptr[symbol] != &node) {
        ++symbol;
        assert(symbol < parent.m_ptr.size());
    }
    const ACTreeNode* fallback = parent.m_link;
    while (fallback != nullptr && fallback->m_ptr[symbol] == nullptr) {
        fallback = fallback->m_link;
    }
    node.m_link = fallback != nullptr ? fallback->m_ptr[symbol] : m_root;
    assert(node.m_link->m_depth < node.m_depth);
    // A forbidden suffix forbids the whole sequence.
    if (node.m_link->m_forbidden) {
        node.m_forbidden = true;
    }
}

// The step on symbol from a node without that trie edge: the trie edge of the first node on its
// failure chain that has one, else back to the root.
ACTreeNode* ACTree::trieTransition(const ACTreeNode* failure, std::size_t symbol) {
    for (; failure != nullptr; failure = failure->m_link) {
        if (ACTreeNode* next = failure->m_ptr[symbol]) {
            return next;
        }
    }
    return m_root;
}

void ACTree::completeTransitions(ACTreeNode& node) {
    for (std::size_t symbol = 0; symbol < node.m_ptr.size(); ++symbol) {
        if (node.m_ptr[symbol] == nullptr) {
            node.m_ptr[symbol] = trieTransition(node.m_link, symbol);
        }
    }
}

// A step into a forbidden node would make the chain end with a forbidden sequence: the search
// must learn it from a null transition alone.
void ACTree::cutForbiddenTransitions(ACTreeNode& node) {
    for (ACTreeNode*& next : node.m_ptr) {
        if (next != nullptr && next->m_forbidden) {
            next = nullptr;
        }
    }
}

bool ACTree::transitionsAvoidForbidden() const {
    for (std::int32_t depth = 0; depth < kMaxDepth; ++depth) {
        for (const ACTreeNode* node = m_levels[static_cast<std::size_t>(depth)]; node != nullptr;
             node = node->m_nextInLevel) {
            for (const ACTreeNode* next : node->m_ptr) {
                if (next != nullptr && (next->m_forbidden || next->m_depth > node->m_depth + 1)) {
                    return false;
                }
            }
        }
    }
    return true;
}

}  // namespace trelkan
