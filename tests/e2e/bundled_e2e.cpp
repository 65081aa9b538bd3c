// Searches on the bundled catalogue, end to end: every result that trelkan reports must work in
// Life, as trelkan-verify proves by running it.
#include <gtest/gtest.h>

#include "tests/e2e/catalogues.h"
#include "tests/support/sandbox.h"

namespace trelkan::testing {
namespace {

class BundledSearch : public ::testing::TestWithParam<std::vector<std::string>> {
  protected:
    void SetUp() override { copyBundledCatalogue(m_box); }

    Sandbox m_box;
};

int countResults(const std::string& out) {
    int count = 0;
    for (std::size_t at = out.find("*** ("); at != std::string::npos;
         at = out.find("*** (", at + 1)) {
        ++count;
    }
    return count;
}

TEST_P(BundledSearch, EveryResultWorksInLife) {
    std::vector<std::string> arguments = GetParam();
    arguments.insert(arguments.end(), {"-f", "search.log"});
    const RunResult search = m_box.run(arguments);
    ASSERT_EQ(search.status, 0) << search.err;
    ASSERT_TRUE(search.out.ends_with("Search complete\n"));
    const int results = countResults(search.out);
    ASSERT_GT(results, 0) << search.out;
    const RunResult proof = m_box.runProgram(TRELKAN_VERIFY, {"search.log"});
    EXPECT_EQ(proof.status, 0) << proof.out;
    EXPECT_TRUE(proof.out.ends_with(std::to_string(results) + " of " + std::to_string(results) +
                                    " results verified\n"))
        << proof.out;
}

INSTANTIATE_TEST_SUITE_P(
    Searches, BundledSearch,
    ::testing::Values(
        // Loops: four left turns at 448, two loops at 800.
        std::vector<std::string>{"-p", "448", "-u", "448"},
        std::vector<std::string>{"-p", "800", "-u", "800", "-s"},
        std::vector<std::string>{"-p", "800", "-u", "800", "-x", "20000"},
        // Signals carried from here to there, with and without the sorted report.
        std::vector<std::string>{"-p", "448", "-d", "13", "-65", "228", "L", "-l", "228", "-u",
                                 "228"},
        std::vector<std::string>{"-p", "448", "-d", "72", "-5", "233", "F", "-l", "200", "-u",
                                 "700", "-s", "-n", "1"}));

}  // namespace
}  // namespace trelkan::testing
