// The loop atlas, end to end: trelkan-atlas against a brute force of the sorted searches that
// define it, one trelkan process per period; a grown, a resumed and a fresh atlas alike byte for
// byte; and, on real conduits, the entries proven in Life.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <optional>
#include <sstream>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "base/box.h"
#include "life/lifegrid.h"
#include "life/rlepattern.h"
#include "tests/e2e/catalogues.h"
#include "tests/life/lifetesting.h"
#include "tests/support/bgolly.h"
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
            expected.push_back("|" + number + " | | no loop with delay up to 10 | | | |");
            continue;
        }
        ++loopsFound;
        const Loop least = *std::min_element(loops.begin(), loops.end(), smaller);
        const auto delay = static_cast<std::int64_t>(least.names.size());
        expected.push_back("|" + number + " " + std::to_string(least.area) + " | " +
                           std::to_string(delay) + " | " + joined(least.names) + " | " +
                           std::to_string(delay / period) + " | " + std::to_string(delay) +
                           " |  |");
    }
    EXPECT_GE(loopsFound, 6);
    EXPECT_NE(file("out/atlas.md")
                  .find("\n\nA loop for " + std::to_string(loopsFound) + " of the 10 periods.\n"),
              std::string::npos);
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

// Shards searched apart and merged make the atlas one run makes; merged without one of them, the
// merging run searches that shard's periods itself.
TEST_F(AtlasOfTheLattice, ShardsMergeToWhatOneRunMakes) {
    ASSERT_EQ(atlas("fresh", kLargestDelay).status, 0);
    for (const std::string shard : {"1", "2", "3"}) {
        const RunResult run = m_box.runProgram(
            TRELKAN_ATLAS,
            {"-u", "10", "--no-proof", "-k", shard + "/3", "-d", "s" + shard, "--progress"});
        ASSERT_EQ(run.status, 0) << run.err;
        EXPECT_EQ(run.out,
                  "Shard " + shard + " of 3 of the periods 1 to 10 searched into s" + shard + "\n");
        // Periods 1, 4, 7 and 10 for the first shard.
        EXPECT_EQ(linesOf(run.err).size(), shard == "1" ? 4u : 3u);
        EXPECT_FALSE(m_box.read("s" + shard + "/atlas.md"));
    }
    const RunResult merged = m_box.runProgram(
        TRELKAN_ATLAS, {"--no-proof", "-d", "merged", "--progress", "--merge", "s1", "s2", "s3"});
    ASSERT_EQ(merged.status, 0) << merged.err;
    EXPECT_EQ(merged.err, "");
    EXPECT_EQ(atlasFiles("merged"), atlasFiles("fresh"));

    const RunResult partly = m_box.runProgram(
        TRELKAN_ATLAS, {"--no-proof", "-d", "partly", "--progress", "--merge", "s1", "s3"});
    ASSERT_EQ(partly.status, 0) << partly.err;
    EXPECT_TRUE(partly.err.starts_with("period 2: ")) << partly.err;
    EXPECT_EQ(linesOf(partly.err).size(), 3u);
    EXPECT_EQ(atlasFiles("partly"), atlasFiles("fresh"));
}

TEST_F(AtlasOfTheLattice, RefusesWhatItCannotDo) {
    ASSERT_EQ(atlas("out", kLargestDelay).status, 0);
    m_box.write("bad/atlas.state", "trelkan-atlas state 1\ncatalogue data/data.ini\nperiod 3\n");
    m_box.write("other/atlas.state", "trelkan-atlas state 1\ncatalogue other.ini\n");
    const std::string usage =
        "Usage:\n    trelkan-atlas [-c definition-file] [-l minperiod] [-u maxdelay] [-j threads] "
        "[-m] [-d directory] [--progress] [--no-proof] [-k K/N] [--merge directory...]\n";
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
        {{"-d", "new", "--merge", "out", "bad"},
         "line 3 of the state file cannot be read: bad/atlas.state\n",
         2},
        {{"-d", "new", "--merge", "nowhere"}, "No atlas state to merge in nowhere\n", 2},
        {{"-d", "other"},
         "the state file other/atlas.state was made with another catalogue (other.ini)\n",
         2},
        {{"-u", "0"}, "Invalid largest delay: 0\n" + usage, 2},
        {{"-k", "4/3"}, "Invalid shard: 4/3\n" + usage, 2},
        {{"-k", "0/3"}, "Invalid shard: 0/3\n" + usage, 2},
        {{"-k", "1/3", "--merge", "out"}, "A shard (-k) cannot merge (--merge)\n" + usage, 2},
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
    // L112a x4, an oscillator: one signal, delay 448, nothing sent out.
    EXPECT_NE(table.find(" | 1 | 448 | none |\n"), std::string::npos) << table;
    EXPECT_NE(table.find("\n\nA loop for 1 of the 3 periods: 1 oscillator, sending nothing out, "
                         "and 0 guns.\n"),
              std::string::npos);
    EXPECT_NE(table.find(" Every entry is proven in Life;"), std::string::npos);
    EXPECT_NE(table.find("| 447 | | | | no loop with delay up to 449 | | | |\n"),
              std::string::npos);
    const std::string patterns = box.read("out/atlas.rle").value_or("");
    EXPECT_TRUE(patterns.starts_with("#C period 448: ")) << patterns.substr(0, 100);
    EXPECT_NE(patterns.find("\n#C period 448 at (0, 0)\n"), std::string::npos);
}

// A file of the committed atlas, in docs/.
std::string committedFile(const std::string& name) {
    std::ifstream file(std::string(TRELKAN_SOURCE_DIR) + "/docs/" + name);
    return {std::istreambuf_iterator<char>(file), {}};
}

// An entry of atlas.rle: its period, and where its cells may lie: from the top left corner of
// their box, its chain's box from atlas.md widened by the drawing's margin on both sides.
struct PlacedEntry {
    std::int64_t period = 0;
    Box room;
};

std::vector<PlacedEntry> placedEntries(const std::vector<std::string>& comments,
                                       const std::string& table) {
    constexpr std::int32_t kMargin = 16;
    std::map<std::int64_t, std::pair<std::int32_t, std::int32_t>> sizes;
    for (const std::string& line : linesOf(table)) {
        long long period = 0;
        long long area = 0;
        std::int32_t width = 0;
        std::int32_t height = 0;
        if (std::sscanf(line.c_str(), "| %lld | %lld | %dx%d |", &period, &area, &width, &height) ==
            4) {
            sizes[period] = {width, height};
        }
    }
    std::vector<PlacedEntry> entries;
    for (const std::string& comment : comments) {
        long long period = 0;
        std::int32_t x = 0;
        std::int32_t y = 0;
        char end = 0;
        if (std::sscanf(comment.c_str(), "#C period %lld at (%d, %d%c", &period, &x, &y, &end) ==
                4 &&
            end == ')') {
            const auto [width, height] = sizes.at(period);
            entries.push_back(
                {period, {x, x + width + 2 * kMargin - 1, y, y + height + 2 * kMargin - 1}});
        }
    }
    return entries;
}

// The cells of the sheet in the entry's room: the loops of the sheet stand far enough apart
// that no other loop's cells are there.
std::vector<LifeCell> entryCells(const std::vector<LifeCell>& sheet, const PlacedEntry& entry) {
    std::vector<LifeCell> cells;
    std::copy_if(sheet.begin(), sheet.end(), std::back_inserter(cells),
                 [&](const LifeCell& cell) { return entry.room.contains(cell.x, cell.y); });
    return cells;
}

// The entry's cells inside their first box after each number of generations.
std::map<std::int64_t, std::vector<LifeCell>> runEntry(const std::vector<LifeCell>& cells,
                                                       const std::vector<std::int64_t>& times) {
    std::map<std::int64_t, std::vector<LifeCell>> seen;
    const Box box = boxOf(cells);
    LifeGrid grid(cells);
    for (const std::int64_t time : times) {
        grid.run(time - grid.generation());
        seen[time] = grid.cellsIn(box);
    }
    return seen;
}

std::vector<std::int64_t> primeFactors(std::int64_t number) {
    std::vector<std::int64_t> primes;
    for (std::int64_t p = 2; p * p <= number; ++p) {
        if (number % p == 0) {
            primes.push_back(p);
            while (number % p == 0) {
                number /= p;
            }
        }
    }
    if (number > 1) {
        primes.push_back(number);
    }
    return primes;
}

// The atlas committed for the bundled catalogue: a sample of its entries, each cut out of
// atlas.rle, repeats with its period exactly, cell for cell, and with no divisor of it: in the
// project's Life engine, and where it is installed in bgolly too.
TEST(TheCommittedAtlas, SampledEntriesRepeatWithTheirPeriodExactly) {
    std::string error;
    const std::optional<RlePattern> sheet =
        readRleFile(TRELKAN_SOURCE_DIR "/docs/atlas.rle", error);
    ASSERT_TRUE(sheet) << error;
    const std::vector<LifeCell> cells = sheet->cellsOfState(1);
    const std::vector<PlacedEntry> entries =
        placedEntries(sheet->comments, committedFile("atlas.md"));
    ASSERT_GE(entries.size(), 12u);
    const std::optional<std::filesystem::path> bgolly = findBgolly();
    // Spread over the periods, and the loop of period 448, where L112a x4 repeats its population
    // every 112 generations but its cells only every 448.
    constexpr std::size_t kSample = 12;
    std::vector<PlacedEntry> sample;
    for (std::size_t k = 0; k < kSample; ++k) {
        sample.push_back(entries[k * (entries.size() - 1) / (kSample - 1)]);
    }
    for (const PlacedEntry& entry : entries) {
        if (entry.period == 448) {
            sample.push_back(entry);
        }
    }
    for (const PlacedEntry& entry : sample) {
        const std::vector<LifeCell> start = entryCells(cells, entry);
        ASSERT_FALSE(start.empty()) << entry.period;
        std::vector<std::int64_t> times;
        for (const std::int64_t prime : primeFactors(entry.period)) {
            times.push_back(entry.period / prime);
        }
        std::sort(times.begin(), times.end());
        times.push_back(entry.period);
        const auto seen = runEntry(start, times);
        EXPECT_TRUE(seen.at(entry.period) == start) << "period " << entry.period;
        for (const std::int64_t time : times) {
            if (time != entry.period) {
                EXPECT_TRUE(seen.at(time) != start)
                    << "period " << entry.period << " repeats at " << time;
            }
        }
        if (bgolly) {
            LifeGrid grid(start);
            grid.run(entry.period);
            const std::optional<std::vector<LifeCell>> other =
                runInBgolly(*bgolly, start, entry.period, error);
            ASSERT_TRUE(other) << error;
            EXPECT_EQ(*other, normalised(grid.cells())) << "period " << entry.period;
        }
    }
}

// A few rows of the committed atlas.md against `trelkan -p P -u D -s -n 1` on the bundled
// catalogue: the smallest period with a loop, and above D/2, where a loop carries one signal, the
// first period with a loop and the first without. A search's cost grows steeply with its largest
// delay: these stay below D/2 or just above it (P = D costs a minute under the sanitizers).
TEST(TheCommittedAtlas, SampledRowsAgreeWithTheSortedSearch) {
    Sandbox box;
    copyBundledCatalogue(box);
    const std::string table = committedFile("atlas.md");
    const std::string boundText = "with a delay of at most ";
    const std::size_t boundAt = table.find(boundText);
    ASSERT_NE(boundAt, std::string::npos);
    const std::int64_t bound = std::stoll(table.substr(boundAt + boundText.size()));
    std::vector<std::pair<std::int64_t, std::int64_t>> rows;  // period, area (0: no loop)
    for (const std::string& line : linesOf(table)) {
        long long period = 0;
        long long area = 0;
        if (std::sscanf(line.c_str(), "| %lld | %lld |", &period, &area) == 2) {
            rows.emplace_back(period, area);
        } else if (std::sscanf(line.c_str(), "| %lld | | ", &period) == 1) {
            rows.emplace_back(period, 0);
        }
    }
    const auto first = [&](auto&& wanted) {
        const auto row = std::find_if(rows.begin(), rows.end(), wanted);
        EXPECT_NE(row, rows.end());
        return row == rows.end() ? std::pair<std::int64_t, std::int64_t>{} : *row;
    };
    const std::vector<std::pair<std::int64_t, std::int64_t>> sample = {
        first([](const auto& row) { return row.second > 0; }),
        first([&](const auto& row) { return 2 * row.first > bound && row.second > 0; }),
        first([&](const auto& row) { return 2 * row.first > bound && row.second == 0; })};
    for (const auto& [period, area] : sample) {
        const RunResult search =
            box.run({"-p", std::to_string(period), "-u", std::to_string(bound), "-s", "-n", "1"});
        ASSERT_EQ(search.status, 0) << period;
        const std::vector<Loop> found = sortedResults(search.out);
        if (area == 0) {
            EXPECT_TRUE(found.empty()) << "period " << period;
        } else {
            ASSERT_FALSE(found.empty()) << "period " << period;
            EXPECT_EQ(std::min_element(found.begin(), found.end(), smaller)->area, area)
                << "period " << period;
        }
    }
}

}  // namespace
}  // namespace trelkan::testing
