#include "tools/catalogue/glider.h"

#include <gtest/gtest.h>

#include "tools/catalogue/cellgroups.h"
#include "tools/catalogue/naturalglider.h"

namespace trelkan::builder {
namespace {

const std::vector<LifeCell> kSouthEast = {{1, 0}, {2, 1}, {0, 2}, {1, 2}, {2, 2}};

std::vector<LifeCell> run(std::vector<LifeCell> cells, int generations) {
    for (int i = 0; i < generations; ++i) {
        cells = stepCells(cells);
    }
    return cells;
}

TEST(GliderTest, KnowsTheVelocityOfEveryPhase) {
    for (int age = 0; age < 4; ++age) {
        const std::optional<Offset> velocity = gliderVelocity(run(kSouthEast, age));
        ASSERT_TRUE(velocity.has_value());
        EXPECT_EQ(*velocity, (Offset{1, 1}));
    }
    const std::vector<LifeCell> northWest = {{0, 0}, {1, 0}, {2, 0}, {0, 1}, {1, 2}};
    EXPECT_EQ(gliderVelocity(northWest), (Offset{-1, -1}));
    EXPECT_FALSE(gliderVelocity({{0, 0}, {1, 0}, {0, 1}, {1, 1}}).has_value());
    EXPECT_FALSE(gliderVelocity({{0, 0}, {1, 0}, {2, 0}, {0, 1}, {2, 1}}).has_value());
}

TEST(GliderTest, SightingsOfOneGliderShareItsPath) {
    const std::optional<GliderPath> early = gliderPath(kSouthEast, 10);
    const std::optional<GliderPath> late = gliderPath(run(kSouthEast, 7), 17);
    ASSERT_TRUE(early && late);
    EXPECT_EQ(*early, *late);
    // The same cells a generation later belong to another glider.
    EXPECT_NE(*early, *gliderPath(kSouthEast, 11));
    EXPECT_EQ(gliderCells(*early, 17), run(kSouthEast, 7));
    EXPECT_EQ(gliderCells(*early, 6), movedCells(kSouthEast, -1, -1));
}

TEST(GliderTest, MovedPathsTurnVelocityAndPlace) {
    const GliderPath path = *gliderPath(kSouthEast, 0);
    const GliderPath turned = movedPath(path, kL, 100, 50, 8);
    EXPECT_EQ(turned.vx, 1);
    EXPECT_EQ(turned.vy, -1);
    std::vector<LifeCell> expected;
    for (const LifeCell& cell : kSouthEast) {
        const Offset at = turnOffset(kL, cell.x, cell.y);
        expected.push_back({at.x + 100, at.y + 50});
    }
    EXPECT_EQ(gliderCells(turned, 8), normalisedCells(expected));
}

TEST(NaturalGliderTest, ALoneHerschelSendsItBackwardsAndDown) {
    const NaturalGlider& glider = firstNaturalGlider();
    EXPECT_EQ(glider.generation, 28);
    const std::optional<Offset> velocity = gliderVelocity(glider.cells);
    ASSERT_TRUE(velocity.has_value());
    EXPECT_EQ(*velocity, (Offset{-1, 1}));
    EXPECT_EQ(glider.cells, (std::vector<LifeCell>{{-1, -1}, {-3, 0}, {-2, 0}, {-2, 1}, {-1, 1}}));
}

}  // namespace
}  // namespace trelkan::builder
