#include "catalogue/actree.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <random>
#include <set>
#include <span>
#include <vector>

#include "tests/support/automaton.h"

namespace trelkan {
namespace {

using testing::nullStep;
using testing::Symbols;

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

class ACTreeTest : public ::testing::Test {
  protected:
    static constexpr std::int32_t kAlphabet = 6;

    ACTree m_tree{kAlphabet};
};

constexpr std::int32_t a = 0, b = 1, c = 2;

TEST_F(ACTreeTest, SequencesHoldingAStoredOneAreIgnoredButInnerOnesCount) {
    m_tree.insert(Symbols{a, b});
    m_tree.insert(Symbols{c, a, b});
    EXPECT_EQ(m_tree.sequenceCount(), 1);
    EXPECT_EQ(m_tree.nodeCount(), 2);

    ACTree tree(kAlphabet);
    tree.insert(Symbols{a, b, c});
    tree.insert(Symbols{a, b});
    EXPECT_EQ(tree.sequenceCount(), 2);
    EXPECT_EQ(tree.nodeCount(), 3);
    tree.finalize();
    EXPECT_EQ(nullStep(tree, {a, c, a}), -1);
    EXPECT_EQ(nullStep(tree, {a, b}), 1);
}

TEST_F(ACTreeTest, TwoOverlappingSequencesEndWalksWhereTheyEnd) {
    m_tree.insert(Symbols{a, b});
    m_tree.insert(Symbols{b, c});
    m_tree.finalize();
    EXPECT_EQ(nullStep(m_tree, {a, b}), 1);
    EXPECT_EQ(nullStep(m_tree, {b, c}), 1);
    EXPECT_EQ(nullStep(m_tree, {a, c, b, c}), 3);
    EXPECT_EQ(nullStep(m_tree, {a, a, c}), -1);
}

TEST_F(ACTreeTest, TenIsTheLongestSequenceAndItsLastStepIsCut) {
    const Symbols ten = {a, b, c, a, b, c, a, b, c, a};
    Symbols eleven = {b, b, b, b, b, b, b, b, b, b, b};
    m_tree.insert(eleven);
    EXPECT_EQ(m_tree.sequenceCount(), 0);
    m_tree.insert(ten);
    EXPECT_EQ(m_tree.nodeCount(), 10);
    EXPECT_TRUE(m_tree.containsForbidden(ten));
    EXPECT_FALSE(m_tree.containsForbidden(Symbols(ten.begin(), ten.end() - 1)));
    EXPECT_TRUE(m_tree.containsForbidden(Symbols{}));
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
            tree.insert(w);
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
            ASSERT_EQ(tree.containsForbidden(s), s.empty() || firstEnding(given, s, 0) >= 0);
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

}  // namespace
}  // namespace trelkan
