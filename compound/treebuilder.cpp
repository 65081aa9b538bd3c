#include "compound/treebuilder.h"

#include <array>
#include <cassert>
#include <memory>
#include <optional>
#include <span>

#include "base/format.h"
#include "catalogue/actree.h"
#include "catalogue/componentregister.h"
#include "compound/compoundcomponent.h"

namespace trelkan {
namespace {

// The budget counts each node as 24 bytes plus 4 per component, whatever a node really takes,
// so that a given tree size means the same number of nodes on every build. Worked out in 64
// bits: the divisor cannot overflow, and the quotient never exceeds bytes.
std::uint32_t nodeBudget(std::uint32_t bytes, std::int32_t componentCount) {
    assert(componentCount >= 0);
    const std::uint64_t perNode = 4 * static_cast<std::uint64_t>(componentCount) + 24;
    return static_cast<std::uint32_t>(bytes / perNode);
}

bool withinBudget(const ACTree& tree, std::uint32_t budget) {
    return static_cast<std::uint32_t>(tree.nodeCount()) <= budget;
}

// The chain's components as the automaton's symbols.
class ChainSymbols {
  public:
    explicit ChainSymbols(const CompoundComponent& chain) {
        assert(chain.count() <= ComponentRegister::kMaxSequenceLength);
        m_length = static_cast<std::size_t>(chain.count());
        for (std::size_t i = 0; i < m_length; ++i) {
            m_symbols[i] = chain.place(static_cast<std::int32_t>(i)).component()->index();
        }
    }
    std::span<const std::int32_t> symbols() const { return {m_symbols.data(), m_length}; }

  private:
    std::array<std::int32_t, ComponentRegister::kMaxSequenceLength> m_symbols{};
    std::size_t m_length = 0;
};

void insertChain(ACTree& tree, const CompoundComponent& chain) {
    tree.insert(ChainSymbols(chain).symbols());
}

// A component without active variants can take no place in any chain.
void insertInactiveComponents(const ComponentRegister& catalogue, ACTree& tree) {
    for (std::int32_t i = 0; i < catalogue.componentCount(); ++i) {
        if (catalogue.component(i).activeCount() == 0) {
            tree.insert(std::span<const std::int32_t>(&i, 1));
        }
    }
}

// Shortest first, so that a longer sequence holding a shorter one is dropped as redundant.
void insertDefinedSequences(ComponentRegister& catalogue, ACTree& tree) {
    while (const std::optional<ComponentSequence> sequence = catalogue.popSequence()) {
        std::array<std::int32_t, ComponentRegister::kMaxSequenceLength> symbols{};
        assert(sequence->size() <= symbols.size());
        for (std::size_t i = 0; i < sequence->size(); ++i) {
            symbols[i] = (*sequence)[i]->index();
        }
        tree.insert({symbols.data(), sequence->size()});
    }
}

// Every ordered pair of active components that the solver cannot compose is forbidden in every
// chain: whatever else a chain holds, the two still need variants that fit together. All of them
// are noted, whatever room the tree has, so that no walk ever steps into one.
void forbidImpossiblePairs(const ComponentRegister& catalogue, ACTree& tree,
                           CompoundComponent& chain) {
    for (std::int32_t first = 0; first < catalogue.componentCount(); ++first) {
        if (catalogue.component(first).activeCount() == 0) {
            continue;
        }
        chain.append(catalogue.component(first));
        for (std::int32_t second = 0; second < catalogue.componentCount(); ++second) {
            const BasicComponent& next = catalogue.component(second);
            if (next.activeCount() == 0) {
                continue;
            }
            chain.append(next);
            if (chain.compose(false) != 0) {
                tree.forbidPair(first, second);
            }
            chain.removeLast();
        }
        chain.removeLast();
    }
}

// Whether the solver can compose the chain; pairs were settled by forbidImpossiblePairs.
bool composes(const ACTree& tree, CompoundComponent& chain) {
    if (chain.count() == 2) {
        return tree.allowsPair(chain.place(0).component()->index(),
                               chain.place(1).component()->index());
    }
    return chain.compose(false) == 0;
}

// Inserts every chain of chain.count() + level active components, extending the chain, that
// cannot be realised and holds no forbidden sequence yet. False when the tree grew beyond budget
// nodes before the enumeration ended. Prefixes that already hold a forbidden sequence are not
// extended: every chain through them is forbidden anyway, which is what keeps the deeper levels
// affordable.
bool enumerateForbidden(const ComponentRegister& catalogue, ACTree& tree, CompoundComponent& chain,
                        std::int32_t level, std::uint32_t budget) {
    assert(chain.count() + level <= ComponentRegister::kMaxSequenceLength);
    for (std::int32_t i = 0; i < catalogue.componentCount(); ++i) {
        const BasicComponent& next = catalogue.component(i);
        if (next.activeCount() == 0) {
            continue;
        }
        chain.append(next);
        bool finished = true;
        if (!tree.containsForbidden(ChainSymbols(chain).symbols())) {
            if (level < 2) {
                if (!composes(tree, chain)) {
                    insertChain(tree, chain);
                    finished = withinBudget(tree, budget);
                }
            } else {
                finished = enumerateForbidden(catalogue, tree, chain, level - 1, budget);
            }
        }
        chain.removeLast();
        if (!finished) {
            return false;
        }
    }
    return true;
}

}  // namespace

void buildTree(ComponentRegister& catalogue, std::uint32_t bytes, TextSink& out) {
    constexpr std::int32_t kMaxLength = ComponentRegister::kMaxSequenceLength;
    out.write("Building Aho/Corasick tree...\n");
    const std::int32_t components = catalogue.componentCount();
    auto tree = std::make_unique<ACTree>(components);
    const std::int32_t maxVariants = catalogue.maxVariants();
    CompoundComponent chain(kMaxLength, maxVariants, kMaxLength * maxVariants, "???");
    insertInactiveComponents(catalogue, *tree);
    insertDefinedSequences(catalogue, *tree);
    forbidImpossiblePairs(catalogue, *tree, chain);

    // Single components are settled above; each further length is explored only while the tree
    // has room, and counts as complete only when its enumeration ran to its end.
    std::int32_t completeDepth = 1;
    const std::uint32_t budget = nodeBudget(bytes, components);
    for (std::int32_t depth = 2; depth <= kMaxLength && withinBudget(*tree, budget); ++depth) {
        assert(chain.count() == 0);
        if (enumerateForbidden(catalogue, *tree, chain, depth, budget)) {
            completeDepth = depth;
        }
    }
    tree->finalize();
    out.write(formatMessage("Tree built: %d nodes, %d sequences, complete to depth %d\n",
                            tree->nodeCount(), tree->sequenceCount(), completeDepth));
    catalogue.setTree(std::move(tree), completeDepth);
}

}  // namespace trelkan
