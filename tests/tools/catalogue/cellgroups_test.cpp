#include "tools/catalogue/cellgroups.h"

#include <gtest/gtest.h>

namespace trelkan::builder {
namespace {

TEST(CellGroupsTest, JoinsCellsWithinReach) {
    const std::vector<LifeCell> cells = {{0, 0}, {2, 0}, {5, 0}, {5, 3}};
    EXPECT_EQ(groupCells(cells, 1).size(), 4u);
    const auto byTwo = groupCells(cells, 2);
    ASSERT_EQ(byTwo.size(), 3u);
    EXPECT_EQ(byTwo[0], (std::vector<LifeCell>{{0, 0}, {2, 0}}));
    EXPECT_EQ(groupCells(cells, 3).size(), 1u);
}

TEST(CellGroupsTest, GroupsComeInReadingOrder) {
    const auto groups = groupCells({{9, 9}, {0, 5}, {9, 0}}, 1);
    ASSERT_EQ(groups.size(), 3u);
    EXPECT_EQ(groups[0].front(), (LifeCell{9, 0}));
    EXPECT_EQ(groups[1].front(), (LifeCell{0, 5}));
}

TEST(CellGroupsTest, BoxesDilationAndMoves) {
    const std::vector<LifeCell> cells = {{3, -2}, {-1, 4}};
    EXPECT_EQ(boxOf(cells), (Box{-1, 3, -2, 4}));
    EXPECT_TRUE(boxOf({}).isEmpty());
    EXPECT_EQ(dilatedCells({{0, 0}}, 1).size(), 9u);
    EXPECT_EQ(dilatedCells({{0, 0}, {1, 0}}, 1).size(), 12u);
    EXPECT_EQ(movedCells(cells, 1, 2), (std::vector<LifeCell>{{4, 0}, {0, 6}}));
    EXPECT_EQ(normalisedCells({{1, 1}, {0, 1}, {1, 1}}), (std::vector<LifeCell>{{0, 1}, {1, 1}}));
}

}  // namespace
}  // namespace trelkan::builder
