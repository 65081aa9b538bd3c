// The loop atlas, end to end: trelkan-atlas against a brute force of the sorted searches that
// define it, one trelkan process per period; a grown, a resumed and a fresh atlas alike byte for
// byte; and, on real conduits, the entries proven in Life.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <optional>
#include <sstream>
#include <string>
#include <tuple>
#include <vector>

#include "tests/e2e/catalogues.h"
#include "tests/support/sandbox.h"

namespace trelkan::testing {
namespace {

constexpr std::int64_t kLargestDelay = 10;

struct Loop {
    std::int64_t area = 0;
    std::vector<std::string> names;
};

// The loop the atlas keeps of two: the smaller area, then fewer conduits, then the names in
// order.
bool smaller(const Loop& first, const Loop& second) {
    return std::make_tuple(first.area, first.names.size(), first.names) <
           std::make_tuple(second.area, second.names.size(), second.names);
}

std::vector<std::string> linesOf(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) {
        lines.push_back(line);
    }
    return lines;
}

// The sorted report's lines "*** (area) name ...", without the " @ set" of the lines printed
// while searching.
std::vector<Loop> sortedResults(const std::string& output) {
    std::vector<Loop> loops;
    for (const std::string& line : linesOf(output)) {
        if (!line.starts_with("*** (") || line.find(" @ ") != std::string::npos) {
            continue;
        }
        std::istringstream in(line.substr(5));
        Loop loop;
        char close = 0;
        in >> loop.area >> close;
        for (std::string name; in >> name;) {
            loop.names.push_back(name);
        }
        loops.push_back(loop);
    }
    return loops;
}

std::string joined(const std::vector<std::string>& names) {
    std::string text;
    for (const std::string& name : names) {
        text += (text.empty() ? "" : " ") + name;
    }
    return text;
}

// The table rows of atlas.md, each without its bounding box, which is checked against the area.
std::vector<std::string> rowsWithoutBox(const std::string& table) {
    std::vector<std::string> rows;
    for (const std::string& line : linesOf(table)) {
        if (!line.starts_with("| ") || line.starts_with("| period")) {
            continue;
        }
        std::vector<std::string> cells;
        std::istringstream in(line);
        for (std::string cell; std::getline(in, cell, '|');) {
            cells.push_back(cell);
        }
        // cells: "", " period ", " area ", " WxH ", ...
        std::int64_t width = 0;
        std::int64_t height = 0;
        char times = 0;
        std::istringstream box(cells.at(3));
        if (box >> width >> times >> height) {
            EXPECT_EQ(std::to_string(width * height), cells.at(2).substr(1, cells.at(2).size() - 2))
                << line;
        }
        cells.erase(cells.begin() + 3);
        std::string row;
        for (const std::string& cell : cells) {
            row += cell + "|";
        }
        rows.push_back(row);
    }
    return rows;
}

class AtlasOfTheLattice : public ::testing::Test {
  protected:
    void SetUp() override { writeLattice(m_box); }

    RunResult atlas(const std::string& directory, std::int64_t largestDelay) const {
        return m_box.runProgram(TRELKAN_ATLAS, {"-u", std::to_string(largestDelay), "-j", "2",
                                                "--no-proof", "-d", directory});
    }

    std::string file(const std::string& path) const { return m_box.read(path).value_or("?"); }

    // Every file of the atlas in the directory, in one text.
    std::string atlasFiles(const std::string& directory) const {
        return file(directory + "/atlas.md") + file(directory + "/atlas.rle") +
               file(directory + "/atlas.state");
    }

    Sandbox m_box;
};

// The lattice's steps take a generation each: a loop's delay is its length.
TEST_F(AtlasOfTheLattice, KeepsTheLeastLoopOfTheSortedSearchOfEveryPeriod) {
    const RunResult built = atlas("out", kLargestDelay);
    ASSERT_EQ(built.status, 0) << built.err;
    EXPECT_EQ(built.out, "Atlas of periods 1 to 10 written to out\n");
    EXPECT_EQ(built.err, "");
    std::vector<std::string> expected;
    std::int64_t loopsFound = 0;
    for (std::int64_t period = 1; period <= kLargestDelay; ++period) {
        const RunResult search =
            m_box.run({"-p", std::to_string(period), "-u", std::to_string(kLargestDelay), "-s"});
        ASSERT_EQ(search.status, 0);
        const std::vector<Loop> loops = sortedResults(search.out);
        const std::string number = " " + std::to_string(period) + " |";
        if (loops.empty()) {
            expected.push_back("|" + number + " | | no loop with delay up to 10 | | |");
            continue;
        }
        ++loopsFound;
        const Loop least = *std::min_element(loops.begin(), loops.end(), smaller);
        const auto delay = static_cast<std::int64_t>(least.names.size());
        expected.push_back("|" + number + " " + std::to_string(least.area) + " | " +
                           std::to_string(delay) + " | " + joined(least.names) + " | " +
                           std::to_string(delay / period) + " | " + std::to_string(delay) + " |");
    }
    EXPECT_GE(loopsFound, 6);
    EXPECT_EQ(rowsWithoutBox(file("out/atlas.md")), expected);
    // Without the proofs, neither file claims them.
    EXPECT_NE(file("out/atlas.md").find("Not every entry is proven in Life"), std::string::npos);
    EXPECT_NE(file("out/atlas.state").find(" delay 4 unproven chain "), std::string::npos);
    EXPECT_NE(file("out/atlas.md")
                  .find("Made by `trelkan-atlas -c data/data.ini -l 1 -u 10 "
                        "--no-proof`"),
              std::string::npos);
}

TEST_F(AtlasOfTheLattice, GrowsAndResumesToWhatAFreshRunMakes) {
    ASSERT_EQ(atlas("fresh", kLargestDelay).status, 0);
    const std::string fresh = atlasFiles("fresh");

    // Made to a smaller delay first, then extended.
    ASSERT_EQ(atlas("grown", 7).status, 0);
    EXPECT_NE(atlasFiles("grown"), fresh);
    ASSERT_EQ(atlas("grown", kLargestDelay).status, 0);
    EXPECT_EQ(atlasFiles("grown"), fresh);

    // Stopped after five periods: the state as it was then, and no atlas yet.
    const std::vector<std::string> state = linesOf(file("fresh/atlas.state"));
    std::string stopped;
    for (std::size_t i = 0; i < 2 + 5; ++i) {
        stopped += state.at(i) + "\n";
    }
    m_box.write("resumed/atlas.state", stopped);
    const RunResult resumed = m_box.runProgram(
        TRELKAN_ATLAS, {"-j", "1", "--no-proof", "-d", "resumed", "-u", "10", "--progress"});
    ASSERT_EQ(resumed.status, 0);
    // Only the periods not done are searched.
    EXPECT_TRUE(resumed.err.starts_with("period 6: ")) << resumed.err;
    EXPECT_EQ(linesOf(resumed.err).size(), 5u);
    EXPECT_EQ(atlasFiles("resumed"), fresh);

    // A finished atlas with the same bound again: nothing to search, the same files.
    const RunResult again = m_box.runProgram(TRELKAN_ATLAS, {"--no-proof", "-d", "fresh"});
    EXPECT_EQ(again.status, 0);
    EXPECT_EQ(again.err, "");
    EXPECT_EQ(atlasFiles("fresh"), fresh);
}

TEST_F(AtlasOfTheLattice, RefusesWhatItCannotDo) {
    ASSERT_EQ(atlas("out", kLargestDelay).status, 0);
    m_box.write("bad/atlas.state", "trelkan-atlas state 1\ncatalogue data/data.ini\nperiod 3\n");
    m_box.write("other/atlas.state", "trelkan-atlas state 1\ncatalogue other.ini\n");
    const struct {
        std::vector<std::string> arguments;
        std::string err;
        int status;
    } cases[] = {
        {{"-u", "8", "-d", "out"},
         "The atlas in out reaches delay 10: -u may not be smaller (it is 8)\n",
         2},
        {{"-l", "11", "-d", "out"},
         "No period in the range: -l 11 is above the largest delay 10\n",
         2},
        {{"-d", "bad"}, "line 3 of the state file cannot be read: bad/atlas.state\n", 2},
        {{"-d", "other"},
         "the state file other/atlas.state was made with another catalogue (other.ini)\n",
         2},
        {{"-u", "0"},
         "Invalid largest delay: 0\nUsage:\n    trelkan-atlas [-c definition-file] [-l "
         "minperiod] [-u maxdelay] [-j threads] [-m] [-d directory] [--progress] "
         "[--no-proof]\n",
         2},
    };
    for (const auto& [arguments, err, status] : cases) {
        const RunResult result = m_box.runProgram(TRELKAN_ATLAS, arguments);
        EXPECT_EQ(result.err, err) << arguments.front();
        EXPECT_EQ(result.status, status) << arguments.front();
        EXPECT_EQ(result.out, "");
    }
}

// On real conduits every entry is proven, and the table and the patterns agree with trelkan's own
// smallest result.
TEST(AtlasOfTheBundledCatalogue, ProvesItsEntriesAndAgreesWithTheSortedSearch) {
    Sandbox box;
    copyBundledCatalogue(box);
    const RunResult built =
        box.runProgram(TRELKAN_ATLAS, {"-l", "447", "-u", "449", "-j", "2", "-d", "out"});
    ASSERT_EQ(built.status, 0) << built.err;
    const RunResult search = box.run({"-p", "448", "-u", "449", "-s", "-n", "1"});
    const std::vector<Loop> loops = sortedResults(search.out);
    ASSERT_FALSE(loops.empty());
    const std::string table = box.read("out/atlas.md").value_or("");
    const std::string row = "| 448 | " + std::to_string(loops.front().area) + " | ";
    EXPECT_NE(table.find(row), std::string::npos) << table;
    EXPECT_NE(table.find(" Every entry is proven in Life;"), std::string::npos);
    EXPECT_NE(table.find("| 447 | | | | no loop with delay up to 449 | | |\n"), std::string::npos);
    const std::string patterns = box.read("out/atlas.rle").value_or("");
    EXPECT_TRUE(patterns.starts_with("#C period 448: ")) << patterns.substr(0, 100);
    EXPECT_NE(patterns.find("\n#C period 448 at (0, 0)\n"), std::string::npos);
}

}  // namespace
}  // namespace trelkan::testing
