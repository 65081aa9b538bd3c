// The verifier, end to end, on the bundled catalogue: it proves a loop built by hand, rejects a
// chain whose conduits do not work together or do not come back, runs loops with as many signals
// as the period asks for, and reports what it cannot read.
#include <gtest/gtest.h>

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
const std::string kLoop = "*** (5776 @ 54) L112a L112a L112a L112a";

TEST_F(BundledCatalogue, ProvesTheLoopOfFourLeftTurns) {
    const RunResult result =
        verify("Search log\n" + kLoop + "\nSearch complete\n", {"-o", "proven.rle"});
    EXPECT_EQ(result.out,
              kLoaded + "ok line 2: loop of period 448: " + kLoop + "\n1 of 1 results verified\n");
    EXPECT_EQ(result.err, "");
    EXPECT_EQ(result.status, 0);
    const std::string pattern = m_box.read("proven.rle").value_or("");
    EXPECT_TRUE(pattern.starts_with("#C line 2: " + kLoop + "\nx = ")) << pattern.substr(0, 100);
    EXPECT_TRUE(pattern.ends_with("!\n"));
}

TEST_F(BundledCatalogue, RejectsConduitsThatDoNotWorkTogether) {
    // F271a may not follow L112a: their catalysts meet, and no Herschel comes out.
    const std::string broken = "*** (1) L112a L112a F271a L112a";
    const RunResult result = verify(kLoop + "\n" + broken + "\n", {"-o", "proven.rle"});
    EXPECT_EQ(result.out, kLoaded + "ok line 1: loop of period 448: " + kLoop + "\n" +
                              "FAILED line 2: no Herschel at (-29, 40) facing R at generation "
                              "607 (delay 607 to (-29, 40) facing R): " +
                              broken + "\n1 of 2 results verified\n");
    EXPECT_EQ(result.status, 1);
    // Only the proven chain is drawn.
    EXPECT_EQ(m_box.read("proven.rle").value_or("").find(broken), std::string::npos);
}

// After the output has been taken every catalyst must be back: Lx142a's output carries the tail
// block and needs an R conduit after it; F171a needs its output's first glider let go.
TEST_F(BundledCatalogue, ProvesThatEveryCatalystComesBack) {
    struct Case {
        std::string chain;
        std::vector<std::string> arguments;
        std::string verdict;
    };
    const std::string notBack =
        "FAILED line 1: the catalysts are not back 1000 generations after "
        "the output (";
    const std::string l112 = "L112a L112a L112a L112a";
    const std::vector<Case> cases = {
        {"Lx142a", {}, notBack + "delay 142 to (38, -15) facing Lx)"},
        {"Fx244a Fx119c F166a", {}, notBack + "delay 529 to (114, -31) facing F)"},
        {"Lx142a F166a", {}, "ok line 1: delay 308 to (35, -64) facing Lx"},
        {"F171a", {}, "ok line 1: delay 171 to (29, -17) facing F"},
        {l112, {"-p", "224"}, "ok line 1: loop of period 224 with 2 signals"},
        {l112, {"-p", "448"}, "ok line 1: loop of period 448"},
        {l112,
         {"-p", "150"},
         "FAILED line 1: the delay 448 is not a multiple of the period 150 (loop of delay 448)"},
        // Four signals 126 apart meet the gliders that the conduits send out.
        {"R126a R126a R126a R126a",
         {"-p", "126"},
         "FAILED line 1: no Herschel at (0, 0) facing F at generation 504 (loop of period 126 "
         "with 4 signals)"},
        {"R126a R126a R126a R126a", {}, "ok line 1: loop of period 504"},
    };
    for (const Case& c : cases) {
        const std::string line = "*** (0) " + c.chain;
        const RunResult result = verify(line + "\n", c.arguments);
        const bool ok = c.verdict.starts_with("ok");
        EXPECT_EQ(result.out, kLoaded + c.verdict + ": " + line + "\n" + (ok ? "1" : "0") +
                                  " of 1 results verified\n");
        EXPECT_EQ(result.status, ok ? 0 : 1) << c.chain;
    }
}

TEST_F(BundledCatalogue, WritesTheLoopAsItRunsWithAllItsSignals) {
    const std::string loop = "*** (0) L112a L112a L112a L112a\n";
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
    for (const std::string period : {"0", "-5", "x"}) {
        const RunResult bad = m_box.runProgram(TRELKAN_VERIFY, {"-p", period});
        EXPECT_TRUE(bad.err.starts_with("Invalid period: " + period + "\nUsage:\n")) << bad.err;
        EXPECT_EQ(bad.status, 2);
    }
}

}  // namespace
}  // namespace trelkan::testing
