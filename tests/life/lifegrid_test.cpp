#include "life/lifegrid.h"

#include <gtest/gtest.h>

#include <map>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "tests/life/lifetesting.h"

namespace trelkan {
namespace {

using testing::normalised;
using testing::pictureCells;
using testing::randomSoup;
using testing::shifted;

// Life the slow and obvious way, on a set of live cells, to hold the engine to.
class NaiveLife {
  public:
    explicit NaiveLife(const std::vector<LifeCell>& cells) : m_live(cells.begin(), cells.end()) {}

    void step() {
        std::map<LifeCell, int> neighbours;
        for (const LifeCell& cell : m_live) {
            for (std::int32_t dy = -1; dy <= 1; ++dy) {
                for (std::int32_t dx = -1; dx <= 1; ++dx) {
                    if (dx != 0 || dy != 0) {
                        ++neighbours[{cell.x + dx, cell.y + dy}];
                    }
                }
            }
        }
        std::set<LifeCell> next;
        for (const auto& [cell, count] : neighbours) {
            if (count == 3 || (count == 2 && m_live.contains(cell))) {
                next.insert(cell);
            }
        }
        m_live = std::move(next);
    }
    void run(int generations) {
        for (int i = 0; i < generations; ++i) {
            step();
        }
    }
    std::vector<LifeCell> cells() const { return {m_live.begin(), m_live.end()}; }

  private:
    std::set<LifeCell> m_live;
};

std::vector<LifeCell> filtered(const std::vector<LifeCell>& cells, const Box& box, bool inside) {
    std::vector<LifeCell> result;
    for (const LifeCell& cell : cells) {
        if (box.contains(cell.x, cell.y) == inside) {
            result.push_back(cell);
        }
    }
    return result;
}

// Runs both engines side by side and stops at the first generation where they part.
void expectSameAsNaive(const std::vector<LifeCell>& start, int generations) {
    LifeGrid grid(start);
    NaiveLife naive(start);
    for (int generation = 1; generation <= generations; ++generation) {
        grid.step();
        naive.step();
        const std::vector<LifeCell> expected = naive.cells();
        ASSERT_EQ(grid.cells(), expected) << "generation " << generation;
        ASSERT_EQ(grid.population(), static_cast<std::int64_t>(expected.size()));
        ASSERT_EQ(grid.bounds(), boxOf(expected)) << "generation " << generation;
    }
    EXPECT_EQ(grid.generation(), generations);
}

struct SoupCase {
    std::string name;
    Box box;
    std::uint32_t seed;
    int generations;
    double density = 0.4;
    friend void PrintTo(const SoupCase& c, std::ostream* out) { *out << c.name; }
};

class LifeGridSoup : public ::testing::TestWithParam<SoupCase> {};

TEST_P(LifeGridSoup, FollowsTheNaiveEngineEveryGeneration) {
    const SoupCase& soup = GetParam();
    expectSameAsNaive(randomSoup(soup.seed, soup.box, soup.density), soup.generations);
}

INSTANTIATE_TEST_SUITE_P(
    Soups, LifeGridSoup,
    ::testing::Values(SoupCase{"Small", {0, 15, 0, 15}, 1, 500},
                      SoupCase{"NegativeCoordinates", {-40, -21, -30, -11}, 2, 300},
                      SoupCase{"AcrossColumns63And64", {56, 71, -4, 11}, 3, 300},
                      SoupCase{"AcrossColumnsMinus65AndMinus64", {-72, -57, 5, 20}, 4, 300},
                      SoupCase{"WiderThanTwoWords", {-70, 90, -6, 6}, 5, 300},
                      SoupCase{"TallAndThin", {-3, 3, -120, 120}, 6, 300, 0.5},
                      SoupCase{"Sparse100x100", {0, 99, 0, 99}, 7, 150, 0.2},
                      SoupCase{"Dense", {-8, 8, -8, 8}, 8, 300, 0.8}),
    [](const auto& info) { return info.param.name; });

// Slid across more than a word, a pattern meets every bit position, the two ends of a word
// included, wherever the words begin.
TEST(LifeGrid, EveryBitPositionOfAWord) {
    const std::vector<LifeCell> soup = randomSoup(11, {0, 9, 0, 9});
    for (std::int32_t dx = -70; dx <= 70; ++dx) {
        SCOPED_TRACE("shifted by " + std::to_string(dx));
        const std::vector<LifeCell> start = shifted(soup, dx, 0);
        LifeGrid grid(start);
        NaiveLife naive(start);
        grid.run(40);
        naive.run(40);
        ASSERT_EQ(grid.cells(), naive.cells());
    }
}

// Cells set, killed and cleared between generations, as a proof does when it deletes gliders.
TEST(LifeGrid, EditsBetweenGenerations) {
    const std::vector<LifeCell> start = randomSoup(12, {-30, 30, -10, 10});
    LifeGrid grid(start);
    std::set<LifeCell> naiveCells(start.begin(), start.end());
    std::mt19937 random(13);
    std::uniform_int_distribution<std::int32_t> coordinate(-90, 90);
    for (int generation = 0; generation < 300; ++generation) {
        for (int edit = 0; edit < 3; ++edit) {
            const LifeCell cell{coordinate(random), coordinate(random) / 3};
            // One cell killed, two made alive.
            grid.set(cell.x, cell.y, edit != 0);
            if (edit == 0) {
                naiveCells.erase(cell);
            } else {
                naiveCells.insert(cell);
            }
        }
        if (generation % 7 == 0) {
            const std::int32_t x = coordinate(random);
            const std::int32_t y = coordinate(random) / 3;
            const Box box{x, x + 40, y, y + 8};
            grid.clearInside(box);
            std::erase_if(naiveCells, [&box](const LifeCell& c) { return box.contains(c.x, c.y); });
        }
        NaiveLife naive({naiveCells.begin(), naiveCells.end()});
        naive.step();
        grid.step();
        const std::vector<LifeCell> expected = naive.cells();
        naiveCells = {expected.begin(), expected.end()};
        ASSERT_EQ(grid.cells(), expected) << "generation " << generation;
    }
}

class LifeGridGlider : public ::testing::TestWithParam<std::pair<int, int>> {};

// A glider flies 300 cells in each direction: the rectangle has to keep growing on that side.
TEST_P(LifeGridGlider, FliesOneDiagonalStepEveryFourGenerations) {
    const auto [sx, sy] = GetParam();
    std::vector<LifeCell> glider;
    for (const LifeCell& cell : pictureCells("bo$2bo$3o!")) {
        glider.push_back({sx * cell.x, sy * cell.y});
    }
    LifeGrid grid(glider);
    for (int generation = 1; generation <= 1200; ++generation) {
        grid.step();
        const std::int32_t steps = generation / 4;
        const bool whole = generation % 4 == 0;
        ASSERT_EQ(grid.cells() == shifted(glider, sx * steps, sy * steps), whole)
            << "generation " << generation;
    }
    EXPECT_EQ(grid.bounds(), boxOf(shifted(glider, 300 * sx, 300 * sy)));
}

INSTANTIATE_TEST_SUITE_P(Directions, LifeGridGlider,
                         ::testing::Values(std::pair{1, 1}, std::pair{1, -1}, std::pair{-1, 1},
                                           std::pair{-1, -1}),
                         [](const auto& info) {
                             return std::string(info.param.second > 0 ? "Down" : "Up") +
                                    (info.param.first > 0 ? "Right" : "Left");
                         });

TEST(LifeGrid, GlidersLeavingEverySideOfASoup) {
    std::vector<LifeCell> start = randomSoup(21, {-6, 6, -6, 6});
    for (const auto& [body, x, y] : {std::tuple{"bo$2bo$3o!", 30, 30},
                                     {"3o$2bo$bo!", 30, -32},
                                     {"bo$o$3o!", -32, 30},
                                     {"3o$o$bo!", -32, -32}}) {
        const std::vector<LifeCell> glider = pictureCells(body, x, y);
        start.insert(start.end(), glider.begin(), glider.end());
    }
    LifeGrid grid(start);
    NaiveLife naive(start);
    grid.run(1000);
    naive.run(1000);
    EXPECT_EQ(grid.cells(), naive.cells());
    const Box box = grid.bounds();
    EXPECT_TRUE(box.minX < -250 && box.maxX > 250 && box.minY < -250 && box.maxY > 250);
}

TEST(LifeGrid, OscillatorsAndStillLifes) {
    const std::vector<LifeCell> blinker = pictureCells("3o!", 4, 7);
    LifeGrid grid(blinker);
    grid.step();
    EXPECT_EQ(grid.cells(), pictureCells("o$o$o!", 5, 6));
    grid.step();
    EXPECT_EQ(grid.cells(), blinker);
    EXPECT_TRUE(grid.sameCells(LifeGrid(blinker)));
    EXPECT_EQ(grid.generation(), 2);

    const std::vector<LifeCell> block = pictureCells("2o$2o!", -1, -1);
    LifeGrid still(block);
    still.run(10);
    EXPECT_EQ(still.cells(), block);
}

// The R-pentomino settles at generation 1103 with 116 cells, six gliders among them; the naive
// engine confirms the count rather than memory.
TEST(LifeGrid, RPentominoSettlesAt1103With116Cells) {
    const std::vector<LifeCell> start = pictureCells(testing::kRPentomino, -1, -1);
    LifeGrid grid(start);
    NaiveLife naive(start);
    grid.run(1103);
    naive.run(1103);
    EXPECT_EQ(naive.cells().size(), 116U);
    EXPECT_EQ(grid.population(), 116);
    EXPECT_EQ(grid.cells(), naive.cells());
}

// The gun repeats every 30 generations and adds a glider of 5 cells each time.
TEST(LifeGrid, GliderGunAddsAGliderEveryThirtyGenerations) {
    const std::vector<LifeCell> gun = pictureCells(testing::kGliderGun, -18, -4);
    LifeGrid grid(gun);
    for (int period = 1; period <= 10; ++period) {
        grid.run(30);
        EXPECT_EQ(grid.population(), 36 + 5 * period);
    }
    NaiveLife naive(gun);
    naive.run(300);
    EXPECT_EQ(grid.cells(), naive.cells());
    EXPECT_EQ(grid.cellsIn(boxOf(gun)), gun);
}

TEST(LifeGrid, SetGetAndFarApartCells) {
    LifeGrid grid;
    EXPECT_TRUE(grid.bounds().isEmpty());
    EXPECT_EQ(grid.population(), 0);
    EXPECT_FALSE(grid.get(0, 0));
    grid.set(5, 5, false);
    EXPECT_EQ(grid.population(), 0);

    grid.set(-100000, 3);
    grid.set(100000, -5);
    grid.set(100000, -5);
    EXPECT_TRUE(grid.get(-100000, 3));
    EXPECT_TRUE(grid.get(100000, -5));
    EXPECT_FALSE(grid.get(-99999, 3));
    EXPECT_EQ(grid.cells(), (std::vector<LifeCell>{{100000, -5}, {-100000, 3}}));
    EXPECT_EQ(grid.bounds(), (Box{-100000, 100000, -5, 3}));
    grid.set(-100000, 3, false);
    EXPECT_EQ(grid.population(), 1);
    grid.step();
    EXPECT_EQ(grid.population(), 0);
    EXPECT_TRUE(grid.bounds().isEmpty());

    grid.add(pictureCells("2o$2o!"));
    grid.clear();
    EXPECT_EQ(grid.population(), 0);
    grid.add(pictureCells("3o!"));
    grid.step();
    EXPECT_EQ(grid.cells(), pictureCells("o$o$o!", 1, -1));
}

struct BoxCase {
    std::string name;
    Box box;
    friend void PrintTo(const BoxCase& c, std::ostream* out) { *out << c.name; }
};

class LifeGridBox : public ::testing::TestWithParam<BoxCase> {};

TEST_P(LifeGridBox, CellsInAndClearingAgreeWithFilteringTheCells) {
    const Box box = GetParam().box;
    const std::vector<LifeCell> soup = randomSoup(31, {-80, 80, -20, 20});
    const std::vector<LifeCell> inside = filtered(soup, box, true);
    const std::vector<LifeCell> outside = filtered(soup, box, false);

    const LifeGrid grid(soup);
    EXPECT_EQ(grid.cellsIn(box), inside);

    LifeGrid kept(soup);
    kept.clearOutside(box);
    EXPECT_EQ(kept.cells(), inside);
    EXPECT_EQ(kept.population(), static_cast<std::int64_t>(inside.size()));
    EXPECT_EQ(kept.bounds(), boxOf(inside));

    LifeGrid cleared(soup);
    cleared.clearInside(box);
    EXPECT_EQ(cleared.cells(), outside);
    EXPECT_EQ(cleared.population(), static_cast<std::int64_t>(outside.size()));

    // The grids go on correctly from what is left.
    NaiveLife naiveKept(inside);
    NaiveLife naiveCleared(outside);
    for (int generation = 0; generation < 20; ++generation) {
        kept.step();
        cleared.step();
        naiveKept.step();
        naiveCleared.step();
    }
    EXPECT_EQ(kept.cells(), naiveKept.cells());
    EXPECT_EQ(cleared.cells(), naiveCleared.cells());
}

INSTANTIATE_TEST_SUITE_P(
    Boxes, LifeGridBox,
    ::testing::Values(BoxCase{"AcrossWords", {-10, 70, -5, 5}},
                      BoxCase{"AroundEverything", {-200, 200, -200, 200}},
                      BoxCase{"OneCell", {5, 5, 5, 5}}, BoxCase{"Empty", Box::none()},
                      BoxCase{"FarAway", {500, 600, 500, 600}},
                      BoxCase{"LeftEdgeOfTheSoup", {-80, -64, -20, 0}},
                      BoxCase{"OneWordSquare", {0, 63, 0, 63}},
                      BoxCase{"OneWordOfNegativeColumns", {-64, -1, -100, 100}},
                      BoxCase{"OneRow", {-1000, 1000, 3, 3}}),
    [](const auto& info) { return info.param.name; });

}  // namespace
}  // namespace trelkan
