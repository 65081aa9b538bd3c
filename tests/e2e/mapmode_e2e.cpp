// The search-map mode, end to end: its messages, its sets, the order and the rotation of its
// loops, the chains it records before any set, its limits, and states far from the origin.
#include <gtest/gtest.h>

#include "tests/e2e/catalogues.h"
#include "tests/support/sandbox.h"

namespace trelkan::testing {
namespace {

const std::string kHeader = "x = 1000, y = 1000, rule = B3/S23\n";

// What every search on the lattice prints before the search map.
const std::string kLatticeLoaded =
    "Loaded 4 components, 4 variants\n"
    "Prepared 4 components, 4 variants\n"
    "Building Aho/Corasick tree...\n"
    "Tree built: 1176 nodes, 592 sequences, complete to depth 10\n";

const std::string kMapBuilt =
    "Creating search map...\nSearch map created\nCounting component sets...\n";

RunResult runLattice(std::vector<std::string> arguments, std::optional<std::string>* pattern) {
    Sandbox box;
    writeLattice(box);
    arguments.insert(arguments.end(), {"-m", "-o", "out.rle"});
    RunResult result = box.run(arguments);
    EXPECT_EQ(result.err, "");
    EXPECT_EQ(result.status, 0);
    if (pattern != nullptr) {
        *pattern = box.read("out.rle");
    }
    return result;
}

TEST(MapMode, UnitSquareOnceWithItsGreatestComponentFirst) {
    // The sets are the loops' first three steps that end next to the start, visit no cell twice
    // and use no component above the first: s s n, s w n, s w e, s e w, s e n, w w e and w n e.
    // Each of the two squares comes once, with s (the last component of the list) first.
    std::optional<std::string> pattern;
    const RunResult result = runLattice({"-p", "4", "-u", "4"}, &pattern);
    EXPECT_EQ(result.out, "Accepted 1 target\n" + kLatticeLoaded + kMapBuilt +
                              "Found 7 component sets\nSearching...\n"
                              "*** (4 @ 2) s w n e\n*** (4 @ 5) s e n w\nSearch complete\n");
    EXPECT_EQ(pattern, kHeader + "oo$oo51$\noo$oo51$\n!\n");
}

TEST(MapMode, SkippedSetsAreCountedButNotSearched) {
    const RunResult result = runLattice({"-p", "4", "-u", "4", "-i", "2"}, nullptr);
    EXPECT_EQ(result.out, "Accepted 1 target\n" + kLatticeLoaded + kMapBuilt +
                              "Found 7 component sets\nSearching (starting at set 3) ...\n"
                              "*** (4 @ 5) s e n w\nSearch complete\n");
}

TEST(MapMode, ShortChainsAreRecordedWhateverTheSkipCount) {
    // Loops of two steps are complete before any set is made: no set, and recorded anyway.
    const RunResult result = runLattice({"-p", "2", "-u", "2", "-i", "5"}, nullptr);
    EXPECT_EQ(result.out, "Accepted 1 target\n" + kLatticeLoaded + kMapBuilt +
                              "Found 0 component sets\nSearching (starting at set 6) ...\n"
                              "*** (2) s n\n*** (2) w e\nSearch complete\n");
}

TEST(MapMode, ResultLimitHoldsForShortChainsToo) {
    // The second loop of two steps would come after the limit: it is neither printed nor drawn.
    std::optional<std::string> pattern;
    const RunResult result = runLattice({"-p", "2", "-u", "2", "-n", "1"}, &pattern);
    EXPECT_EQ(result.out, "Accepted 1 target\n" + kLatticeLoaded + kMapBuilt +
                              "Found 0 component sets\nSearching...\n"
                              "*** (2) s n\nResult number limit reached\nSearch complete\n");
    EXPECT_EQ(pattern, kHeader + "oo51$\n!\n");
}

TEST(MapMode, NoTargetsNoMap) {
    // The only delay of the series lies beyond the largest one accepted.
    const RunResult result = runLattice({"-p", "4", "-d", "0", "0", "9", "F", "-u", "8"}, nullptr);
    EXPECT_EQ(result.out, "Accepted 0 targets\n" + kLatticeLoaded + "Search complete\n");
}

TEST(MapMode, TargetBelowEveryDelay) {
    Sandbox box;
    writeCatalogue(box, kOneComponent);
    const RunResult result = box.run({"-p", "64", "-d", "0", "0", "10", "F", "-u", "10", "-m"});
    EXPECT_EQ(result.out,
              "Accepted 1 target\nLoaded 1 components, 1 variants\n"
              "Prepared 1 components, 1 variants\n"
              "Building Aho/Corasick tree...\n"
              "Tree built: 5 nodes, 1 sequences, complete to depth 10\n" +
                  kMapBuilt + "Found 0 component sets\nSearching...\nSearch complete\n");
}

// One component that jumps the whole width of the map's plane, and one that jumps far.
void writeJumps(const TempDir& dir) {
    const std::string variant = " 1 1 0 GS dot.rle 0 0 dot.rle 0 0\n";
    dir.write("data/data.ini", "[Components]\nJ F 1 1280 0\n j" + variant + "K F 1 1000 0\n k" +
                                   variant + "[Pairs]\n[Sequences]\n");
    dir.write("dot.rle", "o!\n");
}

const std::string kJumpsLoaded =
    "Loaded 2 components, 2 variants\n"
    "Prepared 2 components, 2 variants\n"
    "Building Aho/Corasick tree...\n";

TEST(MapMode, AJumpAcrossThePlaneIsNoLoop) {
    // On the map's wrapping plane the jump lands on its own start; in Life it does not.
    for (const bool mapMode : {false, true}) {
        Sandbox box;
        writeJumps(box);
        std::vector<std::string> arguments{"-p", "1", "-u", "1"};
        if (mapMode) {
            arguments.emplace_back("-m");
        }
        const RunResult result = box.run(arguments);
        EXPECT_EQ(result.status, 0);
        EXPECT_EQ(result.out.find("*** "), std::string::npos) << result.out;
        EXPECT_TRUE(result.out.ends_with("Search complete\n")) << result.out;
    }
}

TEST(MapMode, TargetsFarFromTheOrigin) {
    // Two jumps of 1000 carry the signal 2000 cells, past the edge of the map's plane.
    Sandbox box;
    writeJumps(box);
    const RunResult active = box.run({"-p", "2", "-d", "2000", "0", "2", "F", "-u", "2"});
    const RunResult map = box.run({"-p", "2", "-d", "2000", "0", "2", "F", "-u", "2", "-m"});
    EXPECT_NE(active.out.find(") k k\n"), std::string::npos) << active.out;
    EXPECT_NE(map.out.find("Found 0 component sets\nSearching...\n*** (1001) k k\n"),
              std::string::npos)
        << map.out;
}

}  // namespace
}  // namespace trelkan::testing
