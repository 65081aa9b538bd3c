// The automaton of forbidden sequences: inactive components, the sequences of the definition
// file, and as many short chains that cannot be realised as the memory budget allows.
#include <cassert>

#include "catalogue/actree.h"
#include "catalogue/componentregister.h"
#include "run/output.h"

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

// A component without active variants can take no place in any chain.
void insertInactiveComponents(const ComponentRegister& catalogue, ACTree& tree,
                              CompoundComponent& chain) {
    for (std::int32_t i = 0; i < catalogue.componentCount(); ++i) {
        const BasicComponent& component = catalogue.component(i);
        if (component.activeCount() == 0) {
            chain.append(component);
            tree.insert(chain);
            chain.removeLast();
        }
    }
}

// Shortest first, so that a longer sequence holding a shorter one is dropped as redundant.
void insertDefinedSequences(ComponentRegister& catalogue, ACTree& tree) {
    while (const std::unique_ptr<CompoundComponent> sequence = catalogue.popSequence()) {
        tree.insert(*sequence);
    }
}

}  // namespace

void ComponentRegister::buildTree(std::uint32_t bytes) {
    assert(m_componentList.size() == static_cast<std::size_t>(m_componentCount));
    writeOutput("Building Aho/Corasick tree...\n");
    m_acTree = std::make_unique<ACTree>(m_componentCount);
    CompoundComponent chain(kMaxSequenceLength, m_maxVariants, kMaxSequenceLength * m_maxVariants,
                            "???");
    insertInactiveComponents(*this, *m_acTree, chain);
    insertDefinedSequences(*this, *m_acTree);

    // Single components are settled above; each further length is explored only while the tree
    // has room, and counts as complete only when its enumeration ran to its end.
    m_completeDepth = 1;
    const std::uint32_t budget = nodeBudget(bytes, m_componentCount);
    for (std::int32_t depth = 2; depth <= kMaxSequenceLength && withinBudget(*m_acTree, budget);
         ++depth) {
        assert(chain.count() == 0);
        if (enumerateForbidden(chain, depth, budget)) {
            m_completeDepth = depth;
        }
    }
    m_acTree->finalize();
    writeOutput(formatMessage("Tree built: %d nodes, %d sequences, complete to depth %d\n",
                              m_acTree->nodeCount(), m_acTree->sequenceCount(), m_completeDepth));
}

// Prefixes that already hold a forbidden sequence are not extended: every chain through them
// is forbidden anyway, which is what keeps the deeper levels affordable.
bool ComponentRegister::enumerateForbidden(CompoundComponent& chain, std::int32_t level,
                                           std::uint32_t budget) {
    assert(chain.count() + level <= kMaxSequenceLength);
    for (std::int32_t i = 0; i < m_componentCount; ++i) {
        const BasicComponent& next = component(i);
        if (next.activeCount() == 0) {
            continue;
        }
        chain.append(next);
        bool finished = true;
        if (!m_acTree->containsForbidden(chain)) {
            if (level < 2) {
                if (chain.compose(false) != 0) {
                    m_acTree->insert(chain);
                    finished = withinBudget(*m_acTree, budget);
                }
            } else {
                finished = enumerateForbidden(chain, level - 1, budget);
            }
        }
        chain.removeLast();
        if (!finished) {
            return false;
        }
    }
    return true;
}

}  // namespace trelkan
