#include "engine/searchmap.h"

#include <gtest/gtest.h>

#include "catalogue/componentregister.h"
#include "run/search.h"
#include "tests/support/catalogue.h"

namespace trelkan {
namespace {

using testing::addSimpleVariant;

// A search over steps to the right: one of one generation, one of two.
class SearchMapTest : public ::testing::Test {
  protected:
    void SetUp() override {
        m_search.m_register = std::make_unique<ComponentRegister>();
        ComponentRegister& catalogue = *m_search.m_register;
        m_quick = &catalogue.addComponent("quick", kF, 1, 0, 1);
        // Two rows of three cells from the input to the right.
        addSimpleVariant(catalogue, *m_quick, "q", "3o$3o!");
        m_slow = &catalogue.addComponent("slow", kF, 1, 0, 2);
        addSimpleVariant(catalogue, *m_slow, "s", "3o$3o!");
        catalogue.finishComponents();
        ::testing::internal::CaptureStdout();
        catalogue.prepare(0, 0, false, false);
        ::testing::internal::GetCapturedStdout();
        m_search.m_componentList = {m_quick, m_slow};
        m_search.m_componentCount = 2;
    }

    std::unique_ptr<SearchMap> build() {
        ::testing::internal::CaptureStdout();
        auto map = std::make_unique<SearchMap>(m_search);
        EXPECT_EQ(::testing::internal::GetCapturedStdout(),
                  "Creating search map...\nSearch map created\n");
        return map;
    }

    Search m_search;
    BasicComponent* m_quick = nullptr;
    BasicComponent* m_slow = nullptr;
};

TEST_F(SearchMapTest, TargetOfDelayOneIsKeptOnlyWhenAStepOfOneReachesTheEnd) {
    m_search.addTarget(1, 0, 1, kF);
    const auto map = build();
    EXPECT_EQ(map->generations(), 2);
    EXPECT_TRUE(map->contains(0, {0, 0, kF}));
    EXPECT_EQ(map->stateCount(0), 1);
    EXPECT_TRUE(map->contains(1, {-1, 0, kF}));
    EXPECT_EQ(map->stateCount(1), 1);

    Search& search = m_search;
    search.m_targets.clear();
    search.addTarget(2, 0, 1, kF);
    EXPECT_EQ(build()->stateCount(1), 0);
}

TEST_F(SearchMapTest, StatesLeadFromEveryTargetToTheEnd) {
    m_search.addTarget(3, 0, 4, kF);
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
    m_search.addTarget(3, 0, 8, kF);
    // Two generations cannot carry the signal nine cells.
    m_search.addTarget(9, 0, 2, kF);
    const auto map = build();
    EXPECT_TRUE(map->contains(2, {-9, 0, kF}));
    EXPECT_FALSE(map->contains(8, {-3, 0, kF}));
}

TEST_F(SearchMapTest, CellLimitSkipsStatesOnlyWhenGiven) {
    m_search.addTarget(3, 0, 3, kF);
    EXPECT_TRUE(build()->contains(3, {-3, 0, kF}));
    // From the start, the first box and the last one span 4 by 1 without their last cells.
    m_search.m_maxCells = 4;
    EXPECT_TRUE(build()->contains(3, {-3, 0, kF}));
    m_search.m_maxCells = 3;
    const auto limited = build();
    EXPECT_FALSE(limited->contains(3, {-3, 0, kF}));
    // Without a way on from the start, nothing leads from the end back to a target either.
    EXPECT_EQ(limited->totalStates(), 0);
}

TEST_F(SearchMapTest, BaseBoxHoldsTheLastComponentAndForLoopsTheFirst) {
    // Both components cover three cells from their input to the right in two rows: the last one
    // starts a cell before the end, the first one of a loop at the end.
    m_search.m_maxCells = 1000;
    m_search.addTarget(0, 0, 4, kF);
    EXPECT_EQ(build()->baseBox(), (Box{-1, 2, -1, 0}));
    m_search.addTarget(3, 0, 4, kF);
    EXPECT_EQ(build()->baseBox(), (Box{-1, 1, -1, 0}));
    m_search.m_maxCells = 0;
    EXPECT_TRUE(build()->baseBox().isEmpty());
}

TEST_F(SearchMapTest, StatesFarFromTheOriginWrapOntoThePlane) {
    // Two steps of one cell never carry the signal 1282 cells, but on the wrapping plane the start
    // is the same state as two cells away: the map is a necessary condition only.
    m_search.addTarget(1282, 0, 2, kF);
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
