#include "catalogue/actree.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <random>
#include <set>
#include <span>
#include <vector>

#include "catalogue/componentregister.h"
#include "compound/compoundcomponent.h"
#include "tests/support/catalogue.h"

namespace trelkan {
namespace {

using Symbols = std::vector<std::int32_t>;

// The step of the walk from the root over s[begin..] that meets a null transition, or -1 when
// there is none. When given, depths receives the depth of the state after each good step.
int nullStep(const ACTree& tree, const Symbols& s, std::size_t begin = 0,
             std::vector<std::int32_t>* depths = nullptr) {
    const ACTreeNode* state = tree.root();
    for (std::size_t i = begin; i < s.size(); ++i) {
        state = state->m_ptr[static_cast<std::size_t>(s[i])];
        if (state == nullptr) {
            return static_cast<int>(i);
        }
        if (depths != nullptr) {
            depths->push_back(state->m_depth);
        }
    }
    return -1;
}

// w occupies s[end + 1 - |w| .. end], wholly at or after begin.
bool endsAt(const Symbols& s, std::size_t begin, std::size_t end, const Symbols& w) {
    if (w.size() > end + 1 - begin) {
        return false;
    }
    return std::equal(w.begin(), w.end(),
                      s.begin() + static_cast<std::ptrdiff_t>(end + 1 - w.size()));
}

// The first position at or after begin where one of the words ends, or -1.
int firstEnding(const std::vector<Symbols>& words, const Symbols& s, std::size_t begin) {
    for (std::size_t end = begin; end < s.size(); ++end) {
        for (const Symbols& w : words) {
            if (endsAt(s, begin, end, w)) {
                return static_cast<int>(end);
            }
        }
    }
    return -1;
}

// Components a, b, c, ... one after another on a straight line; the tree reads only their
// indices.
class ACTreeTest : public ::testing::Test {
  protected:
    static constexpr std::int32_t kAlphabet = 6;

    void SetUp() override {
        for (char name = 'a'; name < 'a' + kAlphabet; ++name) {
            m_catalogue.addComponent(std::string(1, name), kF, 10, 0, 1);
        }
        m_catalogue.finishComponents();
    }

    std::unique_ptr<CompoundComponent> chainOf(const Symbols& s) const {
        auto chain = std::make_unique<CompoundComponent>(
            std::max<std::int32_t>(static_cast<std::int32_t>(s.size()), 1), 1, 0, "???");
        for (const std::int32_t symbol : s) {
            chain->append(m_catalogue.component(symbol));
        }
        return chain;
    }

    ComponentRegister m_catalogue;
    ACTree m_tree{kAlphabet};
};

constexpr std::int32_t a = 0, b = 1, c = 2;

TEST_F(ACTreeTest, SequencesHoldingAStoredOneAreIgnoredButInnerOnesCount) {
    m_tree.insert(*chainOf({a, b}));
    m_tree.insert(*chainOf({c, a, b}));
    EXPECT_EQ(m_tree.sequenceCount(), 1);
    EXPECT_EQ(m_tree.nodeCount(), 2);

    ACTree tree(kAlphabet);
    tree.insert(*chainOf({a, b, c}));
    tree.insert(*chainOf({a, b}));
    EXPECT_EQ(tree.sequenceCount(), 2);
    EXPECT_EQ(tree.nodeCount(), 3);
    tree.finalize();
    EXPECT_EQ(nullStep(tree, {a, c, a}), -1);
    EXPECT_EQ(nullStep(tree, {a, b}), 1);
}

TEST_F(ACTreeTest, TwoOverlappingSequencesEndWalksWhereTheyEnd) {
    m_tree.insert(*chainOf({a, b}));
    m_tree.insert(*chainOf({b, c}));
    m_tree.finalize();
    EXPECT_EQ(nullStep(m_tree, {a, b}), 1);
    EXPECT_EQ(nullStep(m_tree, {b, c}), 1);
    EXPECT_EQ(nullStep(m_tree, {a, c, b, c}), 3);
    EXPECT_EQ(nullStep(m_tree, {a, a, c}), -1);
}

TEST_F(ACTreeTest, TenIsTheLongestSequenceAndItsLastStepIsCut) {
    const Symbols ten = {a, b, c, a, b, c, a, b, c, a};
    Symbols eleven = {b, b, b, b, b, b, b, b, b, b, b};
    m_tree.insert(*chainOf(eleven));
    m_tree.insert(std::span<const std::int32_t>(eleven));
    EXPECT_EQ(m_tree.sequenceCount(), 0);
    m_tree.insert(*chainOf(ten));
    EXPECT_EQ(m_tree.nodeCount(), 10);
    EXPECT_TRUE(m_tree.containsForbidden(*chainOf(ten)));
    EXPECT_FALSE(m_tree.containsForbidden(*chainOf(Symbols(ten.begin(), ten.end() - 1))));
    EXPECT_TRUE(m_tree.containsForbidden(*chainOf({})));
    m_tree.finalize();
    std::vector<std::int32_t> depths;
    EXPECT_EQ(nullStep(m_tree, ten, 0, &depths), 9);
    EXPECT_EQ(depths, (std::vector<std::int32_t>{1, 2, 3, 4, 5, 6, 7, 8, 9}));
    // The step after a near miss falls back to the longest suffix still on the way.
    depths.clear();
    EXPECT_EQ(nullStep(m_tree, {a, b, c, a, b, c, a, b, c, b, c, a}, 0, &depths), -1);
    EXPECT_EQ(depths.back(), 1);
}

// For random sets of sequences: the stored set, the node count and containsForbidden match a
// naive model, and after finalize a walk meets its first null step exactly where a sequence
// first ends, with the depth of each state the longest suffix read that is a stored prefix.
TEST_F(ACTreeTest, RandomSetsAgreeWithANaiveScan) {
    std::mt19937 random(20240611);
    auto uniform = [&random](int low, int high) {
        return std::uniform_int_distribution<int>(low, high)(random);
    };
    for (int trial = 0; trial < 400; ++trial) {
        const int alphabet = uniform(2, kAlphabet);
        auto randomString = [&](int length) {
            Symbols s;
            for (int i = 0; i < length; ++i) {
                s.push_back(uniform(0, alphabet - 1));
            }
            return s;
        };
        ACTree tree(kAlphabet);
        std::vector<Symbols> given, stored;
        std::set<Symbols> prefixes;
        const int sequences = uniform(1, 30);
        for (int n = 0; n < sequences; ++n) {
            // Single symbols would forbid too much; pieces of earlier sequences make prefixes,
            // suffixes and extensions of stored ones.
            Symbols w = randomString(uniform(0, 19) == 0 ? 1 : uniform(2, 10));
            if (!given.empty() && uniform(0, 2) == 0) {
                const Symbols& old = given[static_cast<std::size_t>(uniform(0, n - 1))];
                const auto cut =
                    static_cast<std::ptrdiff_t>(uniform(1, static_cast<int>(old.size())));
                w = uniform(0, 1) == 0 ? Symbols(old.begin(), old.begin() + cut)
                                       : Symbols(old.end() - cut, old.end());
                w.resize(
                    std::min<std::size_t>(w.size() + static_cast<std::size_t>(uniform(0, 2)), 10),
                    static_cast<std::int32_t>(uniform(0, alphabet - 1)));
            }
            const bool holdsStored = firstEnding(stored, w, 0) >= 0;
            EXPECT_EQ(tree.containsForbidden(std::span<const std::int32_t>(w)), holdsStored);
            tree.insert(*chainOf(w));
            given.push_back(w);
            if (!holdsStored) {
                stored.push_back(w);
                for (std::size_t k = 1; k <= w.size(); ++k) {
                    prefixes.insert(Symbols(w.begin(), w.begin() + static_cast<std::ptrdiff_t>(k)));
                }
            }
        }
        ASSERT_EQ(tree.sequenceCount(), static_cast<std::int32_t>(stored.size()));
        ASSERT_EQ(tree.nodeCount(), static_cast<std::int32_t>(prefixes.size()));
        for (int n = 0; n < 20; ++n) {
            const Symbols s = randomString(uniform(0, 12));
            ASSERT_EQ(tree.containsForbidden(*chainOf(s)),
                      s.empty() || firstEnding(given, s, 0) >= 0);
        }

        tree.finalize();
        for (int n = 0; n < 30; ++n) {
            Symbols s = randomString(uniform(1, 40));
            const Symbols& w = given[static_cast<std::size_t>(uniform(0, sequences - 1))];
            s.insert(s.begin() + uniform(0, static_cast<int>(s.size())), w.begin(), w.end());
            // A chain is given up at its first null step; the walk then restarts after it.
            for (std::size_t begin = 0; begin < s.size();) {
                std::vector<std::int32_t> depths;
                const int step = nullStep(tree, s, begin, &depths);
                ASSERT_EQ(step, firstEnding(given, s, begin)) << "trial " << trial;
                for (std::size_t i = 0; i < depths.size(); ++i) {
                    std::size_t longest = 0;
                    for (std::size_t k = 1; k <= i + 1; ++k) {
                        const auto end = s.begin() + static_cast<std::ptrdiff_t>(begin + i + 1);
                        if (prefixes.contains(Symbols(end - static_cast<std::ptrdiff_t>(k), end))) {
                            longest = k;
                        }
                    }
                    ASSERT_EQ(depths[i], static_cast<std::int32_t>(longest));
                }
                begin = step < 0 ? s.size() : static_cast<std::size_t>(step) + 1;
            }
        }
    }
}

// Components a, b and c side by side on a straight line, each variant a 2 by 2 block, so that
// only the pair matrix decides which chains can be realised; d, when present, has no variant
// active at the run's period 6.
class ACTreeBuildTest : public ::testing::Test {
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
        ::testing::internal::CaptureStdout();
        m_catalogue.prepare(6, 0, false, false);
        ::testing::internal::GetCapturedStdout();
        ::testing::internal::CaptureStdout();
        m_catalogue.buildTree(bytes);
        return ::testing::internal::GetCapturedStdout();
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

TEST_F(ACTreeBuildTest, TreeSizeZeroStopsAtTheFirstPairThatCannotBeRealised) {
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

TEST_F(ACTreeBuildTest, EnumerationFindsEveryChainThatCannotBeRealised) {
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
TEST_F(ACTreeBuildTest, BudgetDecidesHowDeepTheTreeIsComplete) {
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

TEST_F(ACTreeBuildTest, InactiveComponentsAndDefinedSequencesComeFirst) {
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
    std::vector<const ACTreeNode*> reached{m_catalogue.acTree()->root()};
    std::set<const ACTreeNode*> seen(reached.begin(), reached.end());
    for (std::size_t i = 0; i < reached.size(); ++i) {
        EXPECT_EQ(reached[i]->m_ptr[3], nullptr);
        for (const ACTreeNode* next : reached[i]->m_ptr) {
            if (next != nullptr && seen.insert(next).second) {
                reached.push_back(next);
            }
        }
    }
    EXPECT_EQ(reached.size(), 5u);
}

TEST(ACTreeEmpty, NoComponentsMakeAnEmptyTreeCompleteToEveryDepth) {
    ComponentRegister catalogue;
    catalogue.finishComponents();
    ::testing::internal::CaptureStdout();
    catalogue.prepare(6, 0, false, false);
    catalogue.buildTree(kLargestTree);
    EXPECT_EQ(::testing::internal::GetCapturedStdout(),
              "Prepared 0 components, 0 variants\n"
              "Building Aho/Corasick tree...\n"
              "Tree built: 0 nodes, 0 sequences, complete to depth 10\n");
    EXPECT_TRUE(catalogue.acTree()->root()->m_ptr.empty());
}

}  // namespace
}  // namespace trelkan
