#include "tools/catalogue/catalystsearch.h"

#include <gtest/gtest.h>

#include "tools/catalogue/cellgroups.h"

namespace trelkan::builder {
namespace {

const std::vector<LifeCell> kBlock = {{0, 0}, {1, 0}, {0, 1}, {1, 1}};
const std::vector<LifeCell> kEater = {{0, 0}, {1, 0}, {1, 1}, {1, 2}, {3, 2}, {2, 3}, {3, 3}};

std::vector<LifeCell> joined(std::vector<std::vector<LifeCell>> parts) {
    std::vector<LifeCell> cells;
    for (const auto& part : parts) {
        cells.insert(cells.end(), part.begin(), part.end());
    }
    return normalisedCells(std::move(cells));
}

TEST(CatalystSearchTest, KeepsStillLifes) {
    const std::vector<LifeCell> live = joined({kBlock, movedCells(kEater, 10, 0)});
    const CatalystSplit split = findCatalysts(live);
    EXPECT_EQ(split.catalysts, live);
    EXPECT_TRUE(split.rejected.empty());
}

TEST(CatalystSearchTest, LeavesOutWhatChanges) {
    const std::vector<LifeCell> blinker = {{20, 0}, {20, 1}, {20, 2}};
    const CatalystSplit split = findCatalysts(joined({kBlock, blinker}));
    EXPECT_EQ(split.catalysts, kBlock);
    ASSERT_EQ(split.rejected.size(), 1u);
    EXPECT_EQ(split.rejected[0], blinker);
}

TEST(CatalystSearchTest, LeavesOutStillLifesThatDisturbEachOther) {
    // Two blocks with one column between them are one object, and a cell beside the gap has
    // three neighbours: no still life.
    const std::vector<LifeCell> left = kBlock;
    const std::vector<LifeCell> right = movedCells(kBlock, 3, 1);
    const CatalystSplit split = findCatalysts(joined({left, right, movedCells(kBlock, 20, 0)}));
    EXPECT_EQ(split.catalysts, movedCells(kBlock, 20, 0));
    ASSERT_EQ(split.rejected.size(), 1u);
    EXPECT_EQ(split.rejected[0], joined({left, right}));
}

TEST(CatalystSearchTest, StillLifesTwoCellsApartStayApart) {
    const std::vector<LifeCell> live = joined({kBlock, movedCells(kBlock, 4, 0)});
    EXPECT_EQ(findCatalysts(live).catalysts, live);
}

}  // namespace
}  // namespace trelkan::builder
