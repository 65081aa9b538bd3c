#include "compound/treebuilder.h"

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "catalogue/actree.h"
#include "catalogue/componentregister.h"
#include "tests/support/automaton.h"
#include "tests/support/catalogue.h"

namespace trelkan {
namespace {

using testing::nullStep;
using testing::Symbols;

constexpr std::int32_t a = 0, b = 1, c = 2;

// Components a, b and c side by side on a straight line, each variant a 2 by 2 block, so that
// only the pair matrix decides which chains can be realised; d, when present, has no variant
// active at the run's period 6.
class TreeBuilderTest : public ::testing::Test {
  protected:
    void addComponents(bool withInactive) {
        for (const char* name : {"a", "b", "c"}) {
            m_components.push_back(&m_catalogue.addComponent(name, kF, 10, 0, 1));
        }
        m_a1 = &testing::addSimpleVariant(m_catalogue, *m_components[0], "a1", "2o$2o!");
        m_a2 = &testing::addSimpleVariant(m_catalogue, *m_components[0], "a2", "2o$2o!");
        m_b1 = &testing::addSimpleVariant(m_catalogue, *m_components[1], "b1", "2o$2o!");
        m_c1 = &testing::addSimpleVariant(m_catalogue, *m_components[2], "c1", "2o$2o!");
        if (withInactive) {
            m_components.push_back(&m_catalogue.addComponent("d", kF, 10, 0, 1));
            testing::addSimpleVariant(m_catalogue, *m_components[3], "d1", "2o$2o!", 0, 0, 4);
        }
        m_catalogue.finishComponents();
    }

    // No component may follow itself, and c, a, b cannot be realised: a must be a2 after c and
    // a1 before b.
    void forbidRepeatsAndCab() {
        for (ComponentVariant* x : {m_a1, m_a2}) {
            for (ComponentVariant* y : {m_a1, m_a2}) {
                m_catalogue.setFollow(*x, *y, false);
            }
        }
        m_catalogue.setFollow(*m_b1, *m_b1, false);
        m_catalogue.setFollow(*m_c1, *m_c1, false);
        m_catalogue.setFollow(*m_a2, *m_b1, false);
        m_catalogue.setFollow(*m_c1, *m_a1, false);
    }

    std::string build(std::uint32_t bytes) {
        m_catalogue.prepare(6, 0, false, false);
        StringSink messages;
        buildTree(m_catalogue, bytes, messages);
        return messages.take();
    }

    int nullAt(const Symbols& s) const { return nullStep(*m_catalogue.acTree(), s); }

    ComponentRegister m_catalogue;
    std::vector<BasicComponent*> m_components;
    ComponentVariant* m_a1 = nullptr;
    ComponentVariant* m_a2 = nullptr;
    ComponentVariant* m_b1 = nullptr;
    ComponentVariant* m_c1 = nullptr;
};

constexpr std::uint32_t kLargestTree = 100000 * 1024;

TEST_F(TreeBuilderTest, TreeSizeZeroStopsAtTheFirstPairThatCannotBeRealised) {
    addComponents(false);
    m_catalogue.setFollow(*m_a1, *m_b1, false);
    m_catalogue.setFollow(*m_a2, *m_b1, false);
    EXPECT_EQ(build(0),
              "Building Aho/Corasick tree...\n"
              "Tree built: 2 nodes, 1 sequences, complete to depth 1\n");
    EXPECT_EQ(m_catalogue.completeDepth(), 1);
    EXPECT_EQ(nullAt({a, b}), 1);
    EXPECT_EQ(nullAt({a, a, c, b, a}), -1);
}

// The tree stops at its budget; the pair table holds every pair all the same, and nothing else.
TEST_F(TreeBuilderTest, EveryImpossiblePairIsForbiddenWhateverTheBudget) {
    addComponents(false);
    forbidRepeatsAndCab();
    EXPECT_EQ(build(0),
              "Building Aho/Corasick tree...\n"
              "Tree built: 2 nodes, 1 sequences, complete to depth 1\n");
    const ACTree& tree = *m_catalogue.acTree();
    for (std::int32_t first : {a, b, c}) {
        for (std::int32_t second : {a, b, c}) {
            EXPECT_EQ(tree.allowsPair(first, second), first != second) << first << second;
        }
    }
}

TEST_F(TreeBuilderTest, EnumerationFindsEveryChainThatCannotBeRealised) {
    addComponents(false);
    forbidRepeatsAndCab();
    EXPECT_EQ(build(kLargestTree),
              "Building Aho/Corasick tree...\n"
              "Tree built: 8 nodes, 4 sequences, complete to depth 10\n");
    EXPECT_EQ(nullAt({b, a, c, a, c, a, b}), 6);
    EXPECT_EQ(nullAt({c, b, a, b, c, a, c, b, a, b, c, b}), -1);
    EXPECT_EQ(nullAt({c, b, b}), 2);
}

// Each node counts as 24 + 4 × 3 bytes: 216 bytes hold the six nodes of the pairs, 215 do not.
TEST_F(TreeBuilderTest, BudgetDecidesHowDeepTheTreeIsComplete) {
    addComponents(false);
    forbidRepeatsAndCab();
    EXPECT_EQ(build(216),
              "Building Aho/Corasick tree...\n"
              "Tree built: 8 nodes, 4 sequences, complete to depth 2\n");
    EXPECT_EQ(build(215),
              "Building Aho/Corasick tree...\n"
              "Tree built: 6 nodes, 3 sequences, complete to depth 1\n");
    EXPECT_EQ(nullAt({c, c}), 1);
    EXPECT_EQ(nullAt({c, a, b}), -1);
}

TEST_F(TreeBuilderTest, InactiveComponentsAndDefinedSequencesComeFirst) {
    addComponents(true);
    const BasicComponent *ca = m_components[0], *cb = m_components[1], *cc = m_components[2],
                         *cd = m_components[3];
    m_catalogue.addSequence({ca, cb, cc, ca});
    m_catalogue.addSequence({cd, ca, cb});
    m_catalogue.addSequence({ca, cb, cc});
    m_catalogue.addSequence({cb, cc, cb});
    EXPECT_EQ(build(0),
              "Building Aho/Corasick tree...\n"
              "Tree built: 7 nodes, 3 sequences, complete to depth 1\n");
    EXPECT_EQ(m_catalogue.sequenceCount(), 0u);
    EXPECT_EQ(nullAt({c, a, b, c}), 3);
    EXPECT_EQ(nullAt({a, b, a, b, c, b}), 4);

    // Every state the search can reach refuses d.
    const ACTree& tree = *m_catalogue.acTree();
    std::vector<ACTree::State> reached{tree.start()};
    std::set<ACTree::State> seen(reached.begin(), reached.end());
    for (std::size_t i = 0; i < reached.size(); ++i) {
        EXPECT_EQ(tree.next(reached[i], 3), ACTree::kDead);
        for (std::int32_t symbol = 0; symbol < tree.alphabetSize(); ++symbol) {
            const ACTree::State next = tree.next(reached[i], symbol);
            if (next != ACTree::kDead && seen.insert(next).second) {
                reached.push_back(next);
            }
        }
    }
    EXPECT_EQ(reached.size(), 5u);
}

TEST(TreeBuilderEmpty, NoComponentsMakeAnEmptyTreeCompleteToEveryDepth) {
    StringSink messages;
    ComponentRegister catalogue(&messages);
    catalogue.finishComponents();
    catalogue.prepare(6, 0, false, false);
    EXPECT_EQ(messages.take(), "Prepared 0 components, 0 variants\n");
    buildTree(catalogue, kLargestTree, messages);
    EXPECT_EQ(messages.text(),
              "Building Aho/Corasick tree...\n"
              "Tree built: 0 nodes, 0 sequences, complete to depth 10\n");
    EXPECT_EQ(catalogue.acTree()->alphabetSize(), 0);
}

}  // namespace
}  // namespace trelkan
