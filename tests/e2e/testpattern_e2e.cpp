// The test pattern, end to end: without a period, -o draws the catalogue instead of searching. A
// grid shows every variant alone in its heading row and column and every allowed pair in its
// cell, each entry centred on its cell's point; the sequences follow, and those that no choice of
// variants could realise are listed as unnecessary.
#include <gtest/gtest.h>

#include "tests/e2e/catalogues.h"
#include "tests/support/sandbox.h"

namespace trelkan::testing {
namespace {

const std::string kHeader = "x = 1000, y = 1000, rule = B3/S23\n";

TEST(TestPattern, OneVariantWithoutPairs) {
    // Cells of 10 by 10: the block alone centred on (0, -10) in the heading row and on (-10, 0)
    // in the heading column; no pair, so nothing else.
    Sandbox box;
    writeCatalogue(box,
                   "[Components]\nturn L 64 12 -33\n turn1 1 1 0 GS block.rle 0 0 block.rle "
                   "0 0\n[Pairs]\nturn1-turn1\n[Sequences]\n");
    const RunResult result = box.run({"-o", "grid.rle"});
    EXPECT_EQ(result.status, 0);
    EXPECT_EQ(result.err, "");
    EXPECT_EQ(result.out,
              "Loaded 1 components, 1 variants\nPrepared 0 components, 0 variants\n"
              "Generating test pattern...\n");
    EXPECT_EQ(box.read("grid.rle"), kHeader + "10boo$10boo9$oo$oo51$\n!\n");
}

TEST(TestPattern, APairSeventeenCellsWideIsCentredOnItsCell) {
    // Nine cells in a row, each step moving on by eight: a pair overlaps by one cell and is 17
    // wide, so its cells are 26 wide; its left edge lies 8 cells left of the cell's point (0, 0).
    Sandbox box;
    box.write("data/data.ini",
              "[Components]\nA F 1 8 0\n a 1 1 0 GS row.rle 0 0 row.rle 0 0\n[Pairs]\na+a\n"
              "[Sequences]\n");
    box.write("row.rle", "9o!\n");
    const RunResult result = box.run({"-o", "grid.rle"});
    EXPECT_EQ(result.out,
              "Loaded 1 components, 1 variants\nPrepared 1 components, 1 variants\n"
              "Generating test pattern...\n");
    EXPECT_EQ(box.read("grid.rle"), kHeader + "26b9o10$9o13b17o51$\n!\n");
}

void writeLatticeWithSequences(const TempDir& dir) {
    writeLattice(dir);
    const std::string definition = dir.read("data/data.ini").value_or("");
    // E W E puts the second E on the first one's cell; four steps east are a fine chain.
    dir.write("data/data.ini", definition + "E E E E\nE W E\n");
}

TEST(TestPattern, SequencesFollowTheGridShortestFirst) {
    Sandbox box;
    writeLatticeWithSequences(box);
    const RunResult result = box.run({"-o", "grid.rle"});
    EXPECT_EQ(result.out,
              "Loaded 4 components, 4 variants\nPrepared 4 components, 4 variants\n"
              "Generating test pattern...\n(2) e w e??? - unnecessary sequence\n");
    // Each sequence is drawn with the variants that the solver last tried at its places.
    const std::string pattern = box.read("grid.rle").value_or("");
    EXPECT_TRUE(pattern.ends_with("\noo51$\n4o51$\n!\n")) << pattern;
}

TEST(TestPattern, UnnecessarySequencesAreListedWithoutAPatternFile) {
    Sandbox box;
    writeLatticeWithSequences(box);
    const RunResult result = box.run({"-o", "no/such/dir/grid.rle"});
    EXPECT_EQ(result.status, 0);
    EXPECT_TRUE(result.out.ends_with("(2) e w e??? - unnecessary sequence\n")) << result.out;
}

}  // namespace
}  // namespace trelkan::testing
