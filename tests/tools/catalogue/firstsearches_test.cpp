#include "tools/catalogue/firstsearches.h"

#include <gtest/gtest.h>

namespace trelkan::builder {
namespace {

// A loop found from two of its conduits is one loop; the sorted report, when there is one, is
// what counts, and each result keeps its least area.
TEST(FirstSearchesTest, ResultsAreReadOnceEach) {
    const std::string output =
        "Searching...\n"
        "*** (900 @ 3) b a b a\n"
        "*** (800 @ 4) a b a b\n"
        "*** (70 @ 5) c\n"
        "... Sorting ...\n"
        "*** (70) c\n"
        "*** (800) a b a b\n"
        "*** (900) b a b a\n"
        "Search complete\n";
    const std::vector<FoundChain> loops = distinctResults(output, true);
    EXPECT_EQ(loops, (std::vector<FoundChain>{{{"c"}, 70}, {{"a", "b", "a", "b"}, 800}}));
    // Open chains are not turned round.
    EXPECT_EQ(distinctResults(output, false).size(), 3u);
    EXPECT_EQ(distinctResults("*** (5 @ 1) x y\nSearch complete\n", false),
              (std::vector<FoundChain>{{{"x", "y"}, 5}}));
}

TEST(FirstSearchesTest, TheTableNamesTheSmallestResults) {
    const SearchExample loops{{"-p", "8", "-u", "8"}, true};
    const SearchExample open{{"-p", "8", "-d", "1", "2", "3", "F"}, false};
    const std::vector<SearchFinding> findings = {
        {loops, {{{"a", "a", "a", "a"}, 4}, {{"a", "b", "a", "b"}, 5}, {{"c"}, 6}, {{"d"}, 7}}},
        {open, {{{"x", "y"}, 9}}},
        {loops, {}},
    };
    EXPECT_EQ(firstSearchesTable(findings),
              "| command | finds |\n|---|---|\n"
              "| `./trelkan.sh -p 8 -u 8` | 4 loops of period 8: a ×4 (area 4); a b ×2 (area 5); "
              "c (area 6); and 1 more |\n"
              "| `./trelkan.sh -p 8 -d 1 2 3 F` | one chain: x y (area 9) |\n"
              "| `./trelkan.sh -p 8 -u 8` | no loop of period 8 |\n");
}

}  // namespace
}  // namespace trelkan::builder
