#include "engine/searchmap.h"

#include <gtest/gtest.h>

#include "base/targetset.h"
#include "catalogue/actree.h"
#include "catalogue/componentregister.h"
#include "engine/searchcontext.h"
#include "tests/support/catalogue.h"
#include "tests/support/recordingsink.h"

namespace trelkan {
namespace {

using testing::addSimpleVariant;

// A search over steps to the right: one of one generation, one of two.
class SearchMapTest : public ::testing::Test {
  protected:
    void SetUp() override {
        m_quick = &m_catalogue.addComponent("quick", kF, 1, 0, 1);
        // Two rows of three cells from the input to the right.
        addSimpleVariant(m_catalogue, *m_quick, "q", "3o$3o!");
        m_slow = &m_catalogue.addComponent("slow", kF, 1, 0, 2);
        addSimpleVariant(m_catalogue, *m_slow, "s", "3o$3o!");
        m_catalogue.finishComponents();
        m_catalogue.prepare(0, 0, false, false);
    }

    std::unique_ptr<SearchMap> build() {
        m_sink.lines.clear();
        const SearchInput input{m_catalogue, m_tree, m_targets.targets(), {m_quick, m_slow}};
        SearchContext context(input, m_sink);
        auto map = std::make_unique<SearchMap>(context);
        EXPECT_EQ(m_sink.lines, "Creating search map...\nSearch map created\n");
        return map;
    }

    ComponentRegister m_catalogue;
    ACTree m_tree{2};
    TargetSet m_targets;
    testing::RecordingSink m_sink;
    BasicComponent* m_quick = nullptr;
    BasicComponent* m_slow = nullptr;
};

TEST_F(SearchMapTest, TargetOfDelayOneIsKeptOnlyWhenAStepOfOneReachesTheEnd) {
    m_targets.add(1, 0, 1, kF);
    const auto map = build();
    EXPECT_EQ(map->generations(), 2);
    EXPECT_TRUE(map->contains(0, {0, 0, kF}));
    EXPECT_EQ(map->stateCount(0), 1);
    EXPECT_TRUE(map->contains(1, {-1, 0, kF}));
    EXPECT_EQ(map->stateCount(1), 1);

    m_targets = TargetSet();
    m_targets.add(2, 0, 1, kF);
    EXPECT_EQ(build()->stateCount(1), 0);
}

TEST_F(SearchMapTest, StatesLeadFromEveryTargetToTheEnd) {
    m_targets.add(3, 0, 4, kF);
    const auto map = build();
    // quick, quick and slow in some order: the start at time 4 and, at each time, the cells that
    // some order passes through.
    EXPECT_TRUE(map->contains(4, {-3, 0, kF}));
    EXPECT_TRUE(map->contains(3, {-2, 0, kF}));
    EXPECT_TRUE(map->contains(2, {-2, 0, kF}));
    EXPECT_TRUE(map->contains(2, {-1, 0, kF}));
    EXPECT_TRUE(map->contains(1, {-1, 0, kF}));
    // Reachable from the end backwards, but from no start.
    EXPECT_FALSE(map->contains(3, {-3, 0, kF}));
    EXPECT_FALSE(map->contains(2, {-3, 0, kF}));
    // Reachable from the start, but too far from the end.
    EXPECT_FALSE(map->contains(4, {-4, 0, kF}));
    EXPECT_FALSE(map->contains(1, {-2, 0, kF}));
    EXPECT_EQ(map->totalStates(), 6);
}

TEST_F(SearchMapTest, AShortTargetKeepsItsStartWhateverThePruning) {
    m_targets.add(3, 0, 8, kF);
    // Two generations cannot carry the signal nine cells.
    m_targets.add(9, 0, 2, kF);
    const auto map = build();
    EXPECT_TRUE(map->contains(2, {-9, 0, kF}));
    EXPECT_FALSE(map->contains(8, {-3, 0, kF}));
}

TEST_F(SearchMapTest, CellLimitSkipsStatesOnlyWhenGiven) {
    m_targets.add(3, 0, 3, kF);
    EXPECT_TRUE(build()->contains(3, {-3, 0, kF}));
    // From the start, the first box and the last one span 4 by 1 without their last cells.
    m_sink.bound = 4;
    EXPECT_TRUE(build()->contains(3, {-3, 0, kF}));
    m_sink.bound = 3;
    const auto limited = build();
    EXPECT_FALSE(limited->contains(3, {-3, 0, kF}));
    // Without a way on from the start, nothing leads from the end back to a target either.
    EXPECT_EQ(limited->totalStates(), 0);
}

TEST_F(SearchMapTest, BaseBoxHoldsTheLastComponentAndForLoopsTheFirst) {
    // Both components cover three cells from their input to the right in two rows: the last one
    // starts a cell before the end, the first one of a loop at the end.
    m_sink.bound = 1000;
    m_targets.add(0, 0, 4, kF);
    EXPECT_EQ(build()->baseBox(), (Box{-1, 2, -1, 0}));
    m_targets.add(3, 0, 4, kF);
    EXPECT_EQ(build()->baseBox(), (Box{-1, 1, -1, 0}));
    m_sink.bound = 0;
    EXPECT_TRUE(build()->baseBox().isEmpty());
}

TEST_F(SearchMapTest, StatesFarFromTheOriginWrapOntoThePlane) {
    // Two steps of one cell never carry the signal 1282 cells, but on the wrapping plane the start
    // is the same state as two cells away: the map is a necessary condition only.
    m_targets.add(1282, 0, 2, kF);
    const auto map = build();
    EXPECT_TRUE(map->contains(2, {-1282, 0, kF}));
    EXPECT_TRUE(map->contains(2, {-2, 0, kF}));
}

TEST(SpanArea, CountsNeitherLastCell) {
    EXPECT_EQ(spanArea(Box{0, 3, 0, 2}), 6);
    EXPECT_EQ(spanArea(Box{5, 5, -1, 7}), 0);
    EXPECT_EQ(spanArea(Box::none()), 0);
    EXPECT_EQ(spanArea(Box{-2147483647 - 1, 2147483647, 0, 2}), 2 * 4294967295LL);
}

}  // namespace
}  // namespace trelkan
