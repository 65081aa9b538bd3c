// The verifier, end to end, on the bundled catalogue: it proves a loop built by hand, rejects a
// chain whose conduits do not work together, and reports what it cannot read.
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

const std::string kLoaded = "Loaded 122 components, 149 variants\n";
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
}

}  // namespace
}  // namespace trelkan::testing
