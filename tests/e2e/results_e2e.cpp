// Results, end to end: the result lines, the limits, the sorted report and the pattern file, on
// the lattice catalogue whose loops and paths are easy to check by hand.
#include <gtest/gtest.h>

#include "tests/e2e/catalogues.h"
#include "tests/support/sandbox.h"

namespace trelkan::testing {
namespace {

const std::string kHeader = "x = 1000, y = 1000, rule = B3/S23\n";

struct LatticeRun {
    RunResult result;
    std::optional<std::string> pattern;
};

LatticeRun runLattice(std::vector<std::string> arguments) {
    Sandbox box;
    writeLattice(box);
    arguments.insert(arguments.end(), {"-o", "out.rle"});
    LatticeRun run{box.run(arguments), box.read("out.rle")};
    EXPECT_EQ(run.result.err, "");
    EXPECT_EQ(run.result.status, 0);
    return run;
}

TEST(Results, UnitSquare) {
    // The rarest component goes first: all four are used once, so E.
    const LatticeRun run = runLattice({"-p", "4", "-u", "4"});
    EXPECT_EQ(run.result.out, "Accepted 1 target\n" + kLatticeStart +
                                  "Found 35 component sets\nSearching...\n"
                                  "*** (4 @ 15) e n w s\n*** (4 @ 15) e s w n\nSearch complete\n");
    EXPECT_EQ(run.pattern, kHeader + "oo$oo51$\noo$oo51$\n!\n");
}

TEST(Results, SortedReportKeepsTheSmallest) {
    // The sixth result makes six kept results, more than 2 x 2 + 1: the two smallest stay, and
    // from then on nothing larger than them is reported.
    const LatticeRun run = runLattice({"-p", "8", "-u", "8", "-s", "-n", "2"});
    EXPECT_EQ(run.result.out, "Accepted 1 target\n" + kLatticeStart +
                                  "Found 165 component sets\nSearching...\n"
                                  "*** (8 @ 47) n e e e s w w w\n"
                                  "*** (8 @ 47) n w w w s e e e\n"
                                  "*** (9 @ 69) e e n n w w s s\n"
                                  "*** (9 @ 69) e e n n w s w s\n"
                                  "*** (9 @ 69) e e n w n w s s\n"
                                  "*** (9 @ 69) e e s w s w n n\n"
                                  "+++ Maximum cells limit set to 8\n"
                                  "*** (8 @ 98) e n n n w s s s\n"
                                  "*** (8 @ 98) e s s s w n n n\n"
                                  "... Sorting ...\n"
                                  "*** (8) n e e e s w w w\n"
                                  "*** (8) e n n n w s s s\n"
                                  "\nResult number limit reached\n\n"
                                  "*** (8) n w w w s e e e\n"
                                  "*** (8) e s s s w n n n\n"
                                  "Search complete\n");
    // Only the two reported before the limit are drawn; loops taller than wide lie on their side.
    EXPECT_EQ(run.pattern, kHeader + "4o$4o51$\n4o$4o51$\n!\n");
}

TEST(Results, ResultLimitStopsAnUnsortedSearch) {
    const LatticeRun run = runLattice({"-p", "8", "-u", "8", "-n", "1"});
    EXPECT_EQ(run.result.out, "Accepted 1 target\n" + kLatticeStart +
                                  "Found 165 component sets\nSearching...\n"
                                  "*** (8 @ 47) n e e e s w w w\n"
                                  "Result number limit reached\nSearch complete\n");
    EXPECT_EQ(run.pattern, kHeader + "4o$4o51$\n!\n");
}

TEST(Results, CellLimit) {
    const LatticeRun run = runLattice({"-p", "8", "-u", "8", "-x", "8"});
    EXPECT_EQ(run.result.out, "Accepted 1 target\n" + kLatticeStart +
                                  "Found 165 component sets\nSearching...\n"
                                  "*** (8 @ 47) n e e e s w w w\n"
                                  "*** (8 @ 47) n w w w s e e e\n"
                                  "*** (8 @ 98) e n n n w s s s\n"
                                  "*** (8 @ 98) e s s s w n n n\n"
                                  "Search complete\n");
}

TEST(Results, PathsKeepTheirOrientation) {
    // From (0, 0) to one right and two down in three steps.
    const LatticeRun run = runLattice({"-p", "5", "-d", "1", "2", "3", "F", "-u", "3"});
    EXPECT_EQ(run.result.out, "Accepted 1 target\n" + kLatticeStart +
                                  "Found 20 component sets\nSearching...\n"
                                  "*** (4 @ 10) e s s\n*** (4 @ 10) s e s\n*** (3 @ 10) s s e\n"
                                  "Search complete\n");
    EXPECT_EQ(run.pattern, kHeader + "oo$bo51$\no$oo51$\no$o$o51$\n!\n");
}

TEST(Results, ScriptTargetsCarryTheirLabelAndStartDirection) {
    // The same displacement seen from a start facing L: the lines are the same, the pictures
    // are turned as the start is.
    const LatticeRun run = runLattice({"-p", "5", "-e", "L0[0,0]..L3[2,-1]", "-s"});
    const std::string label = " (l=1,p=5,u=1500)\n";
    EXPECT_EQ(run.result.out,
              "Accepted 1 target\n" + kLatticeStart +
                  "Found 20 component sets\nSearching...\n"
                  "*** (4 @ 10) e s s" +
                  label + "*** (4 @ 10) s e s" + label + "*** (3 @ 10) s s e" + label +
                  "... Sorting ...\n"
                  "*** (3) s s e" +
                  label + "*** (4) s e s" + label + "*** (4) e s s" + label + "Search complete\n");
    EXPECT_EQ(run.pattern, kHeader + "3o51$\nbo$oo51$\noo$o51$\n!\n");
}

TEST(Results, TargetsThatCannotBeMet) {
    // No chain of one-generation steps has a delay of 3 and comes back to its start.
    const LatticeRun odd = runLattice({"-p", "3", "-u", "3"});
    EXPECT_EQ(odd.result.out, "Accepted 1 target\n" + kLatticeStart +
                                  "Found 20 component sets\nSearching...\nSearch complete\n");
    EXPECT_FALSE(odd.pattern.has_value());
    // Turns need turning components: no set passes the parity test.
    const LatticeRun turn = runLattice({"-p", "4", "-d", "0", "0", "4", "L", "-u", "4"});
    EXPECT_EQ(turn.result.out, "Accepted 1 target\n" + kLatticeStart +
                                   "Found 0 component sets\nSearching...\nSearch complete\n");
}

TEST(Results, UnwritablePatternFileDoesNotStopTheSearch) {
    Sandbox box;
    writeLattice(box);
    const RunResult result = box.run({"-p", "4", "-u", "4", "-o", "no/such/dir/out.rle"});
    EXPECT_EQ(result.out, "Accepted 1 target\n" + kLatticeStart +
                              "Found 35 component sets\nSearching...\n"
                              "*** (4 @ 15) e n w s\n*** (4 @ 15) e s w n\nSearch complete\n");
    EXPECT_EQ(result.status, 0);
}

}  // namespace
}  // namespace trelkan::testing
