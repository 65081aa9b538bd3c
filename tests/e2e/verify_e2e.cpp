// The verifier, end to end, on the bundled catalogue: it proves a loop built by hand, rejects a
// chain whose conduits do not work together or do not come back, runs loops with as many signals
// as the period asks for, tells oscillators from guns, reports what it cannot read, and writes
// patterns in which every chain runs as it does alone.
#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <filesystem>
#include <map>

#include "base/version.h"
#include "life/lifegrid.h"
#include "life/rlepattern.h"
#include "tests/e2e/catalogues.h"
#include "tests/support/sandbox.h"

namespace trelkan::testing {
namespace {

// A sandbox holding a copy of the bundled catalogue.
class BundledCatalogue : public ::testing::Test {
  protected:
    void SetUp() override { copyBundledCatalogue(m_box); }

    RunResult verify(const std::string& results, std::vector<std::string> arguments = {}) {
        m_box.write("results.txt", results);
        arguments.push_back("results.txt");
        return m_box.runProgram(TRELKAN_VERIFY, arguments);
    }

    Sandbox m_box;
};

const std::string kLoaded = "Loaded 122 components, 298 variants\n";
const std::string kLoop = "*** (4356 @ 54) L112a L112a L112a L112a";
const std::string kOscillator = "loop of period 448, oscillator";

TEST_F(BundledCatalogue, ProvesTheLoopOfFourLeftTurns) {
    const RunResult result =
        verify("Search log\n" + kLoop + "\nSearch complete\n", {"-o", "proven.rle"});
    EXPECT_EQ(result.out,
              kLoaded + "ok line 2: " + kOscillator + ": " + kLoop + "\n1 of 1 results verified\n");
    EXPECT_EQ(result.err, "");
    EXPECT_EQ(result.status, 0);
    const std::string pattern = m_box.read("proven.rle").value_or("");
    EXPECT_TRUE(pattern.starts_with("#C line 2: " + kLoop +
                                    "\n#C every chain runs as it does alone for at least 1792 "
                                    "generations\n#C line 2 at (0, 0)\nx = "))
        << pattern.substr(0, 100);
    EXPECT_TRUE(pattern.ends_with("!\n"));
    // Asked for longer, the file says so.
    ASSERT_EQ(verify(kLoop + "\n", {"-g", "5000", "-o", "longer.rle"}).status, 0);
    EXPECT_NE(m_box.read("longer.rle")
                  .value_or("")
                  .find("\n#C every chain runs as it does alone "
                        "for at least 5000 generations\n"),
              std::string::npos);
}

TEST_F(BundledCatalogue, RejectsConduitsThatDoNotWorkTogether) {
    // F271a may not follow L112a: their catalysts meet, and no Herschel comes out.
    const std::string broken = "*** (6565) L112a L112a F271a L112a";
    const RunResult result = verify(kLoop + "\n" + broken + "\n", {"-o", "proven.rle"});
    EXPECT_EQ(result.out, kLoaded + "ok line 1: " + kOscillator + ": " + kLoop + "\n" +
                              "FAILED line 2: no Herschel at (-29, 40) facing R at generation "
                              "607 (delay 607 to (-29, 40) facing R): " +
                              broken + "\n1 of 2 results verified\n");
    EXPECT_EQ(result.status, 1);
    // Only the proven chain is drawn.
    EXPECT_EQ(m_box.read("proven.rle").value_or("").find(broken), std::string::npos);
}

// After the output has been taken every catalyst must be back: Lx142a's output carries the tail
// block and needs an R conduit after it; F171a needs its output's first glider let go. A loop
// that works is an oscillator or a gun, and the area printed must be that of the chain's box.
TEST_F(BundledCatalogue, ProvesThatEveryCatalystComesBack) {
    struct Case {
        std::string chain;
        std::vector<std::string> arguments;
        std::string verdict;
    };
    const std::string notBack =
        "FAILED line 1: the catalysts are not back 1000 generations after "
        "the output (";
    const std::string l112 = "(4356) L112a L112a L112a L112a";
    const std::string r126 = "(23409) R126a R126a R126a R126a";
    const std::vector<Case> cases = {
        {"(2040) Lx142a", {}, notBack + "delay 142 to (38, -15) facing Lx)"},
        {"(19435) Fx244a Fx119c F166a", {}, notBack + "delay 529 to (114, -31) facing F)"},
        {"(9804) Lx142a F166a", {}, "ok line 1: delay 308 to (35, -64) facing Lx"},
        {"(9999) F171a", {}, "ok line 1: delay 171 to (29, -17) facing F"},
        {l112, {"-p", "224"}, "ok line 1: loop of period 224 with 2 signals, oscillator"},
        {l112, {"-p", "448"}, "ok line 1: loop of period 448, oscillator"},
        {l112,
         {"-p", "150"},
         "FAILED line 1: the delay 448 is not a multiple of the period 150 (loop of delay 448)"},
        // Four signals 126 apart meet the gliders that the conduits send out.
        {r126,
         {"-p", "126"},
         "FAILED line 1: no Herschel at (0, 0) facing F at generation 504 (loop of period 126 "
         "with 4 signals)"},
        {r126,
         {},
         "ok line 1: loop of period 504, gun, every 504 generations 1 glider towards NE, 1 towards "
         "NW, 1 towards SE and 1 towards SW"},
        {"(25410) L156b L244a L156b L244a",
         {},
         "ok line 1: loop of period 800, gun, every 800 generations 1 glider towards NE and 1 "
         "towards SW"},
        {"(22885) L228a L156b F116a L228a L156b F116a",
         {},
         "ok line 1: loop of period 1000, gun, every 1000 generations 1 glider towards NW and 1 "
         "towards SE"},
        // Signals fed in at the start lack what the conduit before it sends ahead; the loop is
        // only steady once every one of them has been round.
        {"(31725) Fx153a.c Bx202a.c Fx153a.c Bx202a.c",
         {"-p", "142"},
         "ok line 1: loop of period 142 with 5 signals, gun, every 142 generations 1 glider "
         "towards NW and 1 towards SE"},
        // Fed in at F166a, the signal lacks what Lx142a leaves for it; the loop runs from Fx77a.
        {"(18818) F166a Fx77a L112a Lx142a F166a Fx77a L112a Lx142a",
         {"-p", "994"},
         "ok line 1: loop of period 994, oscillator"},
        // The area printed must be that of the chain's box.
        {"(1) L112a L112a L112a L112a",
         {},
         "FAILED line 1: area 1 printed, 4356 computed (loop of period 448)"},
        {"(2611 @ 3) F116a F117a",
         {},
         "FAILED line 1: area 2611 printed, 2610 computed (delay 233 to (72, -5) facing F)"},
    };
    for (const Case& c : cases) {
        const std::string line = "*** " + c.chain;
        const RunResult result = verify(line + "\n", c.arguments);
        const bool ok = c.verdict.starts_with("ok");
        EXPECT_EQ(result.out, kLoaded + c.verdict + ": " + line + "\n" + (ok ? "1" : "0") +
                                  " of 1 results verified\n");
        EXPECT_EQ(result.status, ok ? 0 : 1) << c.chain;
    }
}

TEST_F(BundledCatalogue, WritesTheLoopAsItRunsWithAllItsSignals) {
    const std::string loop = "*** (4356) L112a L112a L112a L112a\n";
    ASSERT_EQ(verify(loop, {"-o", "one.rle"}).status, 0);
    ASSERT_EQ(verify(loop, {"-p", "224", "-o", "two.rle"}).status, 0);
    const auto population = [](const std::string& rle) {
        long long cells = 0;
        long long count = 0;
        for (const char c : rle.substr(rle.find('\n', rle.find("x = ")) + 1)) {
            if (c >= '0' && c <= '9') {
                count = count * 10 + (c - '0');
            } else {
                cells += c == 'o' ? std::max(count, 1LL) : 0;
                count = 0;
            }
        }
        return cells;
    };
    const long long one = population(m_box.read("one.rle").value_or(""));
    EXPECT_GT(one, 0);
    // The second signal is fed in as a predecessor once the first has run for 224 generations.
    EXPECT_GT(population(m_box.read("two.rle").value_or("")), one);
}

TEST_F(BundledCatalogue, ReportsWhatItCannotRead) {
    const RunResult result = verify("*** (1) L112a Nope\n*** L112a\n");
    EXPECT_EQ(result.out, kLoaded +
                              "FAILED line 1: unknown variant Nope: *** (1) L112a Nope\n"
                              "FAILED line 2: malformed result line (no area in parentheses): "
                              "*** L112a\n0 of 2 results verified\n");
    EXPECT_EQ(result.status, 1);
    const RunResult missing = m_box.runProgram(TRELKAN_VERIFY, {"nothing.txt"});
    EXPECT_EQ(missing.err, "Results file cannot be opened: nothing.txt\n");
    EXPECT_EQ(missing.status, 2);
    const RunResult usage = m_box.runProgram(TRELKAN_VERIFY, {"-q"});
    EXPECT_TRUE(usage.err.starts_with("Invalid parameter: -q\nUsage:\n"));
    EXPECT_EQ(usage.status, 2);
    for (const auto& [option, value, message] : std::vector<std::array<std::string, 3>>{
             {"-p", "0", "Invalid period: "},
             {"-p", "-5", "Invalid period: "},
             {"-p", "x", "Invalid period: "},
             {"-g", "0", "Invalid number of generations: "},
             {"-g", "1000001", "Invalid number of generations: "}}) {
        const RunResult bad = m_box.runProgram(TRELKAN_VERIFY, {option, value});
        EXPECT_TRUE(bad.err.starts_with(message + value + "\nUsage:\n")) << bad.err;
        EXPECT_EQ(bad.status, 2);
    }
}

TEST_F(BundledCatalogue, AnswersQuestionsOnStandardOutput) {
    struct Case {
        std::vector<std::string> arguments;
        std::string start;
        std::string end;
    };
    const std::string usage = "Usage:\n    trelkan-verify [-c definition-file] [-m margin]";
    const std::string see = "See README.md, section \"Proving results in Life: trelkan-verify\".\n";
    const std::vector<Case> cases = {
        {{"-h"}, usage, "carries k signals.\n"},
        {{"-p", "448", "-?"}, usage, "carries k signals.\n"},
        {{"--help"}, "Usage: trelkan-verify [options] [results-file]\n", see},
        {{"--version", "nothing.txt"}, std::string("trelkan-verify ") + kVersion + "\n", ""},
    };
    for (const Case& c : cases) {
        const RunResult result = m_box.runProgram(TRELKAN_VERIFY, c.arguments);
        EXPECT_TRUE(result.out.starts_with(c.start)) << result.out;
        EXPECT_TRUE(result.out.ends_with(c.end)) << result.out;
        EXPECT_EQ(result.err, "");
        EXPECT_EQ(result.status, 0);
    }
    // One line for each option of the usage.
    const std::string help = m_box.runProgram(TRELKAN_VERIFY, {"--help"}).out;
    for (const std::string option :
         {"-c ", "-m ", "-p ", "-o ", "-O ", "-g ", "-h, -? ", "--help ", "--version "}) {
        EXPECT_NE(help.find("\n  " + option), std::string::npos) << option;
    }
}

// A file without a result line is most often the wrong file.
TEST_F(BundledCatalogue, FailsOnInputWithoutResults) {
    const RunResult file = verify("Search log\nSearch complete\n");
    EXPECT_EQ(file.out, kLoaded + "0 of 0 results verified\n");
    EXPECT_EQ(file.err, "No result lines in results.txt\n");
    EXPECT_EQ(file.status, 1);
    const RunResult input = m_box.runProgram(TRELKAN_VERIFY, {"-o", "proven.rle"});
    EXPECT_EQ(input.out, kLoaded + "0 of 0 results verified\n");
    EXPECT_EQ(input.err, "No result lines in standard input\n");
    EXPECT_EQ(input.status, 1);
    EXPECT_FALSE(m_box.read("proven.rle").has_value());
}

TEST_F(BundledCatalogue, WritesEveryProvenChainToAFileOfItsOwn) {
    const std::string failing = "*** (1) L112a L112a L112a L112a";
    const RunResult result =
        verify(kLoop + "\n" + failing + "\nSearch complete\n*** (2610) F116a F117a\n",
               {"-O", "chains/proven"});
    EXPECT_EQ(result.status, 1);
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(m_box.path() / "chains/proven")) {
        names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::string>{"line-000001.rle", "line-000004.rle"}));
    const std::string loop = m_box.read("chains/proven/line-000001.rle").value_or("");
    EXPECT_TRUE(loop.starts_with("#C line 1: " + kLoop + "\nx = 64, y = 64, rule = B3/S23\n"))
        << loop;
    const std::string open = m_box.read("chains/proven/line-000004.rle").value_or("");
    EXPECT_TRUE(open.starts_with("#C line 4: *** (2610) F116a F117a\nx = ")) << open;

    m_box.write("blocked", "");
    const RunResult blocked = verify(kLoop + "\n", {"-O", "blocked"});
    EXPECT_EQ(blocked.err, "Pattern directory cannot be made: blocked\n");
    EXPECT_EQ(blocked.status, 1);
}

// The pattern's cells and what its comments say: the generations for which every chain runs as
// it does alone, and where each chain's box has its top left corner.
struct Sheet {
    std::vector<LifeCell> cells;
    std::int64_t generations = 0;
    std::map<std::string, LifeCell> places;
};

Sheet readSheet(const std::string& text) {
    std::string error;
    const std::optional<RlePattern> pattern = parseRle(text, error);
    EXPECT_TRUE(pattern.has_value()) << error;
    Sheet sheet;
    if (!pattern) {
        return sheet;
    }
    sheet.cells = pattern->cellsOfState(1);
    for (const std::string& comment : pattern->comments) {
        long long generations = 0;
        int line = 0;
        LifeCell place;
        char end = 0;
        if (std::sscanf(comment.c_str(),
                        "#C every chain runs as it does alone for at least %lld generation%c",
                        &generations, &end) == 2) {
            sheet.generations = generations;
        } else if (std::sscanf(comment.c_str(), "#C line %d at (%d, %d%c", &line, &place.x,
                               &place.y, &end) == 4 &&
                   end == ')') {
            sheet.places[std::to_string(line)] = place;
        }
    }
    return sheet;
}

// Four periods of the longest loop at least, for two guns whose gliders fly every way beside an
// oscillator and an open chain: every chain of the pattern does in place, generation after
// generation, exactly what its own file does alone. Laid out by their boxes alone, 50 columns
// apart, the first gun's gliders would wreck the oscillator by generation 402.
TEST_F(BundledCatalogue, EveryChainOfThePatternRunsAsItDoesAlone) {
    const std::string guns = "*** (25410) L156b L244a L156b L244a\n" + kLoop +
                             "\n*** (23409) R126a R126a R126a R126a\n*** (2610) F116a F117a\n";
    const RunResult result = verify(guns, {"-o", "sheet.rle", "-O", "alone"});
    ASSERT_EQ(result.status, 0) << result.out << result.err;
    const Sheet sheet = readSheet(m_box.read("sheet.rle").value_or(""));
    EXPECT_GE(sheet.generations, 4 * 800);
    ASSERT_EQ(sheet.places.size(), 4U);
    struct Chain {
        LifeGrid alone;
        Box area;
    };
    std::vector<Chain> chains;
    for (const auto& [line, place] : sheet.places) {
        std::string error;
        const auto pattern = readRleFile(
            (m_box.path() / "alone" / ("line-" + std::string(6 - line.size(), '0') + line + ".rle"))
                .string(),
            error);
        ASSERT_TRUE(pattern.has_value()) << error;
        std::vector<LifeCell> cells = pattern->cellsOfState(1);
        Box area = Box::none();
        for (LifeCell& cell : cells) {
            cell = {cell.x + place.x, cell.y + place.y};
            area.include({cell.x, cell.x, cell.y, cell.y});
        }
        const std::int32_t margin = 16;
        chains.push_back(
            {LifeGrid(cells),
             {area.minX - margin, area.maxX + margin, area.minY - margin, area.maxY + margin}});
    }
    LifeGrid whole(sheet.cells);
    for (std::int64_t generation = 0; generation <= sheet.generations; ++generation) {
        for (std::size_t i = 0; i < chains.size(); ++i) {
            ASSERT_EQ(whole.cellsIn(chains[i].area), chains[i].alone.cellsIn(chains[i].area))
                << "chain " << i << " at generation " << generation;
            chains[i].alone.step();
        }
        whole.step();
    }
    // The guns' gliders have flown far beyond the chains.
    Box areas = Box::none();
    for (const Chain& chain : chains) {
        areas.include(chain.area);
    }
    EXPECT_LT(whole.bounds().minY, areas.minY - 300);
    EXPECT_GT(whole.bounds().maxY, areas.maxY + 300);
}

}  // namespace
}  // namespace trelkan::testing
