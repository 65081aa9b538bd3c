// The engine against an independent simulator: bgolly, the batch program of Debian's golly
// package. Each pattern is written with writeRle, run by bgolly, and its output read back with
// parseRle, so the RLE code is checked along the way. bgolly drops the pattern's position, so
// the live cells are compared after moving both to the origin.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
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
#include "tests/support/tempdir.h"

namespace trelkan {
namespace {

using testing::normalised;

std::optional<std::filesystem::path> findBgolly() {
    const char* path = std::getenv("PATH");
    std::string_view rest = path != nullptr ? path : "";
    while (!rest.empty()) {
        const std::size_t colon = rest.find(':');
        const std::filesystem::path candidate =
            std::filesystem::path(rest.substr(0, colon)) / "bgolly";
        if (access(candidate.c_str(), X_OK) == 0) {
            return candidate;
        }
        rest.remove_prefix(colon == std::string_view::npos ? rest.size() : colon + 1);
    }
    return std::nullopt;
}

std::string quoted(const std::filesystem::path& path) {
    return "'" + path.string() + "'";
}

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
    const std::optional<std::filesystem::path> bgolly = findBgolly();
    if (!bgolly) {
        GTEST_SKIP() << "bgolly not found: install Debian's golly package to run the cross-check";
    }
    const auto& [pattern, generations] = GetParam();
    const testing::TempDir dir;
    const std::filesystem::path in = dir.write("in.rle", writeRle(pattern.cells));
    const std::filesystem::path out = dir.path() / "out.rle";
    const std::filesystem::path log = dir.path() / "bgolly.log";
    const std::string command = quoted(*bgolly) + " -m " + std::to_string(generations) + " -o " +
                                quoted(out) + " " + quoted(in) + " >" + quoted(log) + " 2>&1";
    const int status = std::system(command.c_str());
    ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0)
        << command << "\n"
        << dir.read("bgolly.log").value_or("");

    std::string error;
    const std::optional<RlePattern> result = readRleFile(out.string(), error);
    ASSERT_TRUE(result) << error;
    const std::vector<LifeCell> expected = normalised(result->cellsOfState(1));

    LifeGrid grid(pattern.cells);
    grid.run(generations);
    EXPECT_EQ(grid.population(), static_cast<std::int64_t>(expected.size()));
    EXPECT_EQ(normalised(grid.cells()), expected);
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
