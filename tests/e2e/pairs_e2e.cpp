// The [Pairs] and [Sequences] sections, end to end: every malformed line ends the program with
// its message, and well-formed ones load.
#include <gtest/gtest.h>

#include "tests/e2e/catalogues.h"
#include "tests/support/sandbox.h"

namespace trelkan::testing {
namespace {

// Components A (variants a1, a2) and B (variant b1), one cell each, far apart.
std::string withSections(const std::string& pairs, const std::string& sequences) {
    const std::string variant = " 1 1 0 GS dot.rle 0 0 dot.rle 0 0\n";
    return "[Components]\nA L 10 5 5\n a1" + variant + " a2" + variant + "B R 10 5 -5\n b1" +
           variant + "[Pairs]\n" + pairs + "[Sequences]\n" + sequences;
}

RunResult run(const std::string& pairs, const std::string& sequences = "",
              const std::string& treeSize = "0") {
    Sandbox box;
    box.write("data/data.ini", withSections(pairs, sequences));
    box.write("dot.rle", "o!\n");
    return box.run({"-p", "10", "-u", "10", "-t", treeSize});
}

void expectFatal(const RunResult& result, const std::string& messages) {
    EXPECT_EQ(result.out, "Accepted 1 target\n" + messages);
    EXPECT_EQ(result.err, "");
    EXPECT_EQ(result.status, 1);
}

void expectRun(const RunResult& result, const std::string& prepared, const std::string& tree,
               const std::string& err = "") {
    EXPECT_EQ(result.out, "Accepted 1 target\nLoaded 2 components, 3 variants\n" + prepared +
                              "\nBuilding Aho/Corasick tree...\n" + tree + "\nSearch complete\n");
    EXPECT_EQ(result.err, err);
    EXPECT_EQ(result.status, 0);
}

TEST(PairLines, Malformed) {
    // Line 8 is the first pair line.
    expectFatal(run("a1\n"), "data/data.ini:8: Unrecognised pair\n");
    expectFatal(run("a1-a2\na1 - a2\n"),
                "Unknown component name: a1 \ndata/data.ini:9: Unrecognised pair\n");
    expectFatal(run("*C\n"), "Unknown component name: C\ndata/data.ini:8: Unrecognised pair\n");
    expectFatal(run("a1+\n"), "Unknown component name: \ndata/data.ini:8: Unrecognised pair\n");
    // Only the whole header line ends the section.
    expectFatal(run("[Sequences]x\n"), "data/data.ini:8: Unrecognised pair\n");
    // A NUL byte would silently cut the line short.
    expectFatal(run(std::string("a1-a2\0x\n", 8)), "data/data.ini:8: NUL byte in line\n");
    expectFatal(run("", std::string("A B\0A\n", 7)), "data/data.ini:9: NUL byte in line\n");
}

TEST(PairLines, WellFormed) {
    // Nothing is left to follow anything, so a loop search has nothing to work with; with a
    // tree size of 0 the two forbidden components already fill the tree.
    expectRun(run("a1-a2\n\tA+B\n*b1\nB*anything\nA-A # comment\n"),
              "Prepared 0 components, 0 variants",
              "Tree built: 2 nodes, 2 sequences, complete to depth 1",
              "data/data.ini:11: Text after '*' ignored: anything\n");
}

TEST(SequenceLines, LengthAndNames) {
    // A B A takes 3 nodes, the ten As 9 more after the first.
    // The loop target of delay 10 cannot be met by one quarter turn.
    const std::string noSets = "\nCounting component sets...\nFound 0 component sets\nSearching...";
    expectRun(run("", "A B A\nA A A A A A A A A A\n"), "Prepared 2 components, 3 variants",
              "Tree built: 12 nodes, 2 sequences, complete to depth 1" + noSets);
    // With room for 32 nodes the chains that cannot be realised join them.
    expectRun(run("", "A B A\nA A A A A A A A A A\n", "1"), "Prepared 2 components, 3 variants",
              "Tree built: 23 nodes, 9 sequences, complete to depth 10" + noSets);
    expectFatal(run("", "A B\n"), "data/data.ini:9: Sequence too short\n");
    expectFatal(run("", "A A A A A A A A A A A\n"), "data/data.ini:9: Sequence too long\n");
    // The eleventh name is refused before it is looked up.
    expectFatal(run("", "A A A A A A A A A A nothing\n"), "data/data.ini:9: Sequence too long\n");
    expectFatal(run("", "A b1 B\n"),
                "Unknown component name: b1\ndata/data.ini:9: Invalid sequence\n");
}

}  // namespace
}  // namespace trelkan::testing
