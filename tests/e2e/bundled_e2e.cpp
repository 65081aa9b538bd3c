// Searches on the bundled catalogue, end to end: every result that trelkan reports must work in
// Life, as trelkan-verify proves by running it.
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <map>
#include <set>
#include <sstream>

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
    // A loop whose delay is k periods carries k signals.
    const std::string period = *(std::find(arguments.begin(), arguments.end(), "-p") + 1);
    const RunResult proof = m_box.runProgram(TRELKAN_VERIFY, {"-p", period, "search.log"});
    EXPECT_EQ(proof.status, 0) << proof.out;
    EXPECT_TRUE(proof.out.ends_with(std::to_string(results) + " of " + std::to_string(results) +
                                    " results verified\n"))
        << proof.out;
}

// The searches of both tests, in the active-set mode; each runs in the search-map mode as well.
const std::vector<std::vector<std::string>> kSearches{
    // Loops: four left turns at 448, and at 224 with two signals; two loops at 800; the
    // smallest at 1000.
    {"-p", "448", "-u", "448"},
    {"-p", "224", "-u", "448"},
    {"-p", "800", "-u", "800", "-s"},
    {"-p", "800", "-u", "800", "-x", "20000"},
    {"-p", "1000", "-u", "1000", "-s", "-n", "3"},
    // Signals carried from here to there, with and without the sorted report.
    {"-p", "448", "-d", "13", "-65", "228", "L", "-l", "228", "-u", "228"},
    {"-p", "448", "-d", "72", "-5", "233", "F", "-l", "200", "-u", "700", "-s", "-n", "1"}};

std::vector<std::vector<std::string>> inBothModes(
    const std::vector<std::vector<std::string>>& searches) {
    std::vector<std::vector<std::string>> both = searches;
    for (std::vector<std::string> search : searches) {
        search.emplace_back("-m");
        both.push_back(search);
    }
    return both;
}

INSTANTIATE_TEST_SUITE_P(Searches, BundledSearch, ::testing::ValuesIn(inBothModes(kSearches)));

// The component of every variant of the catalogue in the working directory.
std::map<std::string, std::string> componentsOfVariants(const Sandbox& box) {
    std::map<std::string, std::string> components;
    std::ifstream definition(box.path() / "data" / "data.ini");
    std::string line;
    std::string component;
    while (std::getline(definition, line)) {
        std::istringstream words(line);
        std::string name;
        if (line.empty() || line[0] == '#' || line[0] == '[' || !(words >> name)) {
            continue;
        }
        if (line[0] != ' ') {
            component = name;
        } else {
            components[name] = component;
        }
    }
    return components;
}

// The distinct chains that a search reports, as component names with their area; loops in their
// least rotation, so that a cycle is one entry whichever component it was found from.
std::set<std::string> distinctChains(const std::string& out,
                                     const std::map<std::string, std::string>& components,
                                     bool loops) {
    std::set<std::string> chains;
    std::istringstream lines(out);
    std::string line;
    while (std::getline(lines, line)) {
        if (!line.starts_with("*** (")) {
            continue;
        }
        std::istringstream words(line.substr(line.find(')') + 1));
        std::vector<std::string> chain;
        for (std::string word; words >> word;) {
            const auto component = components.find(word);
            chain.push_back(component == components.end() ? "?" + word : component->second);
        }
        if (loops) {
            std::vector<std::string> least = chain;
            for (std::size_t i = 1; i < chain.size(); ++i) {
                std::rotate(chain.begin(), chain.begin() + 1, chain.end());
                least = std::min(least, chain);
            }
            chain = least;
        }
        std::string text = std::to_string(std::atol(line.c_str() + 5));
        for (const std::string& name : chain) {
            text += " " + name;
        }
        chains.insert(text);
    }
    return chains;
}

class ModesAgree : public ::testing::TestWithParam<std::vector<std::string>> {};

// Sorted, so that both modes report each chain with its least area.
TEST_P(ModesAgree, OnTheBundledCatalogue) {
    Sandbox box;
    copyBundledCatalogue(box);
    std::vector<std::string> arguments = GetParam();
    arguments.emplace_back("-s");
    const RunResult active = box.run(arguments);
    arguments.emplace_back("-m");
    const RunResult map = box.run(arguments);
    ASSERT_TRUE(active.out.ends_with("Search complete\n")) << active.out;
    ASSERT_TRUE(map.out.ends_with("Search complete\n")) << map.out;
    const bool loops = std::find(arguments.begin(), arguments.end(), "-d") == arguments.end();
    const auto components = componentsOfVariants(box);
    const std::set<std::string> chains = distinctChains(active.out, components, loops);
    EXPECT_FALSE(chains.empty());
    EXPECT_EQ(distinctChains(map.out, components, loops), chains);
}

INSTANTIATE_TEST_SUITE_P(
    Searches, ModesAgree,
    ::testing::Values(std::vector<std::string>{"-p", "800", "-u", "800"},
                      std::vector<std::string>{"-p", "900", "-u", "900", "-x", "10000"},
                      std::vector<std::string>{"-p", "448", "-d", "72", "-5", "233", "F", "-l",
                                               "200", "-u", "700"},
                      std::vector<std::string>{"-p", "600", "-d", "13", "-65", "228", "L", "-l",
                                               "100", "-u", "600"}));

}  // namespace
}  // namespace trelkan::testing
