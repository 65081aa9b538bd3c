// The engine against an independent simulator: bgolly, the batch program of Debian's golly
// package. Each pattern is written with writeRle, run by bgolly, and its output read back with
// parseRle, so the RLE code is checked along the way. bgolly drops the pattern's position, so
// the live cells are compared after moving both to the origin.
#include <gtest/gtest.h>

#include <filesystem>
#include <optional>
#include <string>
#include <tuple>
#include <vector>

#include "base/direction.h"
#include "life/herschel.h"
#include "life/lifegrid.h"
#include "life/rlepattern.h"
#include "tests/life/lifetesting.h"
#include "tests/support/bgolly.h"

namespace trelkan {
namespace {

using testing::normalised;

struct Pattern {
    std::string name;
    std::vector<LifeCell> cells;
    friend void PrintTo(const Pattern& pattern, std::ostream* out) { *out << pattern.name; }
};

std::vector<Pattern> patterns() {
    using testing::pictureCells;
    using testing::randomSoup;
    std::vector<LifeCell> herschels = herschelCells(0, 0, kF);
    for (const LifeCell& cell : herschelCells(9, 30, kLx)) {
        herschels.push_back(cell);
    }
    return {{"Soup20", randomSoup(51, {0, 19, 0, 19})},
            {"SoupAcrossWords", randomSoup(52, {-70, 70, -8, 8}, 0.35)},
            {"Soup50", randomSoup(53, {-25, 24, -25, 24}, 0.3)},
            {"Herschel", herschelCells(0, 0, kF)},
            {"Predecessor", predecessorCells(-5, 7, kR)},
            {"TwoHerschels", herschels},
            {"GliderGun", pictureCells(testing::kGliderGun)},
            {"RPentomino", pictureCells(testing::kRPentomino)}};
}

class Bgolly : public ::testing::TestWithParam<std::tuple<Pattern, int>> {};

TEST_P(Bgolly, SameCellsAsTheEngine) {
    const std::optional<std::filesystem::path> bgolly = testing::findBgolly();
    if (!bgolly) {
        GTEST_SKIP() << "bgolly not found: install Debian's golly package to run the cross-check";
    }
    const auto& [pattern, generations] = GetParam();
    std::string error;
    const std::optional<std::vector<LifeCell>> expected =
        testing::runInBgolly(*bgolly, pattern.cells, generations, error);
    ASSERT_TRUE(expected) << error;

    LifeGrid grid(pattern.cells);
    grid.run(generations);
    EXPECT_EQ(grid.population(), static_cast<std::int64_t>(expected->size()));
    EXPECT_EQ(normalised(grid.cells()), *expected);
}

INSTANTIATE_TEST_SUITE_P(Patterns, Bgolly,
                         ::testing::Combine(::testing::ValuesIn(patterns()),
                                            ::testing::Values(1, 17, 100, 500, 1000)),
                         [](const auto& info) {
                             return std::get<0>(info.param).name + "_" +
                                    std::to_string(std::get<1>(info.param));
                         });

}  // namespace
}  // namespace trelkan
