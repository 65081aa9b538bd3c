#include "tools/catalogue/field.h"

#include <gtest/gtest.h>

#include <random>

namespace trelkan::builder {
namespace {

std::vector<LifeCell> randomSoup(std::uint32_t seed, const Box& box, int percent) {
    std::mt19937 random(seed);
    std::uniform_int_distribution<int> chance(0, 99);
    std::vector<LifeCell> cells;
    for (std::int32_t y = box.minY; y <= box.maxY; ++y) {
        for (std::int32_t x = box.minX; x <= box.maxX; ++x) {
            if (chance(random) < percent) {
                cells.push_back({x, y});
            }
        }
    }
    return cells;
}

// A soup well inside the field never reaches its edge within the generations compared, so the
// bounded field must agree with the unbounded engine cell for cell.
TEST(FieldTest, AgreesWithTheUnboundedEngine) {
    for (std::uint32_t seed = 1; seed <= 4; ++seed) {
        const std::vector<LifeCell> soup = randomSoup(seed, {60, 99, -20, 19}, 35);
        Field field({0, 200, -80, 80});
        field.add(soup);
        LifeGrid grid(soup);
        for (int generation = 1; generation <= 40; ++generation) {
            field.step();
            grid.step();
            ASSERT_EQ(field.cells(), grid.cells())
                << "seed " << seed << " generation " << generation;
        }
    }
}

TEST(FieldTest, EditsBetweenStepsAreSeenByTheNextStep) {
    Field field({-10, 10, -10, 10});
    field.add({{0, 0}, {1, 0}, {0, 1}, {1, 1}});
    field.step();
    EXPECT_FALSE(field.changed());
    // A block with a blinker next to it: both must evolve although the block was still.
    field.add({{5, 0}, {5, 1}, {5, 2}});
    EXPECT_TRUE(field.changed());
    field.step();
    EXPECT_TRUE(field.get(4, 1) && field.get(5, 1) && field.get(6, 1));
    EXPECT_FALSE(field.get(5, 0));
    EXPECT_TRUE(field.get(0, 0));
}

TEST(FieldTest, CoversWholeWordsAndIgnoresCellsOutside) {
    Field field({5, 10, 0, 3});
    EXPECT_EQ(field.box(), (Box{5, 68, 0, 3}));
    field.set(100, 1, true);
    field.set(6, 9, true);
    EXPECT_EQ(field.population(), 0);
    EXPECT_FALSE(field.get(100, 1));
}

TEST(FieldTest, ReportsChangesOutsideABoxAndNearTheEdge) {
    Field field({0, 63, 0, 40});
    field.add({{30, 20}, {31, 20}, {32, 20}});
    field.step();
    EXPECT_FALSE(field.changedOutside({25, 35, 15, 25}));
    EXPECT_TRUE(field.changedOutside({32, 35, 15, 25}));
    EXPECT_FALSE(field.changedNearEdge(2));
    field.add({{1, 10}, {1, 11}, {1, 12}});
    field.step();
    EXPECT_TRUE(field.changedNearEdge(2));
}

TEST(FieldTest, RemembersEveryCellEverAlive) {
    Field field({-8, 8, -8, 8});
    field.add({{0, -1}, {0, 0}, {0, 1}});
    field.trackEverAlive();
    field.step();
    field.step();
    const std::vector<LifeCell> expected = {{0, -1}, {-1, 0}, {0, 0}, {1, 0}, {0, 1}};
    EXPECT_EQ(field.everAlive(), expected);
}

}  // namespace
}  // namespace trelkan::builder
