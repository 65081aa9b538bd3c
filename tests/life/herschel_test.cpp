#include "life/herschel.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <string>
#include <vector>

#include "base/direction.h"
#include "tests/life/lifetesting.h"

namespace trelkan {
namespace {

using testing::normalised;
using testing::pictureCells;

// Every cell next to the pattern that is not part of it.
std::vector<LifeCell> ring(const std::vector<LifeCell>& pattern) {
    std::set<LifeCell> around;
    for (const LifeCell& cell : pattern) {
        for (std::int32_t dy = -1; dy <= 1; ++dy) {
            for (std::int32_t dx = -1; dx <= 1; ++dx) {
                around.insert({cell.x + dx, cell.y + dy});
            }
        }
    }
    for (const LifeCell& cell : pattern) {
        around.erase(cell);
    }
    return {around.begin(), around.end()};
}

TEST(Herschel, OrientationFIsTheDrawnHeptominoAroundItsRowOfThree) {
    EXPECT_EQ(herschelCells(0, 0, kF), pictureCells("o$obo$3o$2bo!", -1, -2));
    EXPECT_EQ(herschelCells(10, -20, kF), pictureCells("o$obo$3o$2bo!", 9, -22));
    for (const Direction dir : kDirections) {
        const LifeGrid grid(herschelCells(0, 0, dir));
        EXPECT_TRUE(grid.get(0, 0));
        EXPECT_TRUE((grid.get(-1, 0) && grid.get(1, 0)) || (grid.get(0, -1) && grid.get(0, 1)))
            << directionWord(dir);
    }
}

TEST(Herschel, EightDistinctOrientations) {
    std::set<std::vector<LifeCell>> herschels;
    std::set<std::vector<LifeCell>> predecessors;
    for (const Direction dir : kDirections) {
        herschels.insert(normalised(herschelCells(0, 0, dir)));
        predecessors.insert(normalised(predecessorCells(0, 0, dir)));
        EXPECT_EQ(herschelCells(0, 0, dir).size(), 7U);
        EXPECT_EQ(predecessorCells(0, 0, dir).size(), 12U);
    }
    EXPECT_EQ(herschels.size(), 8U);
    EXPECT_EQ(predecessors.size(), 8U);
}

class HerschelOrientation : public ::testing::TestWithParam<int> {};

TEST_P(HerschelOrientation, PredecessorBecomesTheHerschelInFourGenerations) {
    const Direction dir = directionOf(GetParam());
    for (const auto& [x, y] : {std::pair{0, 0}, {-37, 81}, {63, -64}}) {
        LifeGrid grid(predecessorCells(x, y, dir));
        grid.run(3);
        EXPECT_FALSE(hasHerschel(grid, x, y, dir));
        grid.step();
        EXPECT_EQ(grid.cells(), herschelCells(x, y, dir));
        EXPECT_TRUE(hasHerschel(grid, x, y, dir));
    }
}

TEST_P(HerschelOrientation, FoundOnlyAloneAndWhole) {
    const Direction dir = directionOf(GetParam());
    const std::vector<LifeCell> herschel = herschelCells(5, -3, dir);
    EXPECT_TRUE(hasHerschel(LifeGrid(herschel), 5, -3, dir));
    EXPECT_FALSE(hasHerschel(LifeGrid(herschel), 6, -3, dir));
    EXPECT_FALSE(hasHerschel(LifeGrid(herschel), 5, -3, directionOf(dir + 1)));

    const std::vector<LifeCell> around = ring(herschel);
    EXPECT_EQ(around.size(), 19U);
    for (const LifeCell& extra : around) {
        LifeGrid grid(herschel);
        grid.set(extra.x, extra.y);
        EXPECT_FALSE(hasHerschel(grid, 5, -3, dir)) << "with " << extra.x << "," << extra.y;
    }
    for (const LifeCell& missing : herschel) {
        LifeGrid grid(herschel);
        grid.set(missing.x, missing.y, false);
        EXPECT_FALSE(hasHerschel(grid, 5, -3, dir)) << "without " << missing.x << "," << missing.y;
    }
    // Cells two steps away do not touch it.
    LifeGrid crowded(herschel);
    for (const LifeCell& near : ring(around)) {
        if (std::find(herschel.begin(), herschel.end(), near) == herschel.end()) {
            crowded.set(near.x, near.y);
        }
    }
    EXPECT_TRUE(hasHerschel(crowded, 5, -3, dir));
}

INSTANTIATE_TEST_SUITE_P(All, HerschelOrientation, ::testing::Range(0, kDirectionCount),
                         [](const auto& info) {
                             return std::string(directionWord(directionOf(info.param)));
                         });

// The predecessor as the collection's notes give it, in the coordinates of the Herschel
// o$3o$obo$2bo!, whose row of three is centred on (1, 1).
TEST(Herschel, PredecessorOfTheCollectionNotes) {
    const std::vector<LifeCell> notes = testing::shifted({{1, 0},
                                                          {1, 1},
                                                          {1, 2},
                                                          {2, -1},
                                                          {2, 3},
                                                          {4, 4},
                                                          {5, -1},
                                                          {5, 0},
                                                          {5, 1},
                                                          {5, 2},
                                                          {5, 3},
                                                          {6, 0}},
                                                         0, 0);
    const std::vector<LifeCell> drawn = pictureCells("o$3o$obo$2bo!");
    LifeGrid grid(notes);
    grid.run(4);
    EXPECT_EQ(grid.cells(), drawn);

    int found = 0;
    for (const Direction dir : kDirections) {
        if (herschelCells(1, 1, dir) == drawn) {
            ++found;
            EXPECT_EQ(predecessorCells(1, 1, dir), notes);
        }
    }
    EXPECT_EQ(found, 1);
}

}  // namespace
}  // namespace trelkan
