// Stop signals during a search, end to end: Ctrl+C (SIGINT), SIGTERM and SIGHUP stop the search
// cleanly in both modes, also while the search map is built; what was found is reported, the
// files are closed, standard error says how to resume, and the resumed run finds the rest. A
// second signal ends the program at once. The tests are driven by what the program prints.
#include <gtest/gtest.h>

#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <set>
#include <sstream>
#include <tuple>

#include "tests/e2e/catalogues.h"
#include "tests/support/sandbox.h"

namespace trelkan::testing {
namespace {

// Loops of the lattice that take a second or two after their first result, in either mode.
std::vector<std::string> busySearch(bool mapMode) {
    if (mapMode) {
        return {"-p", "20", "-u", "20", "-x", "20", "-s", "-m", "-f", "run.log", "-o", "out.rle"};
    }
    return {"-p", "18", "-u", "18", "-x", "18", "-s", "-f", "run.log", "-o", "out.rle"};
}

std::vector<std::string> skipping(std::vector<std::string> arguments, int sets) {
    arguments.insert(arguments.end(), {"-i", std::to_string(sets)});
    return arguments;
}

// Stops the run with the signal once its first result is out.
RunResult stopAtTheFirstResult(const Sandbox& box, const std::vector<std::string>& arguments,
                               int signal) {
    const auto program = box.start(arguments);
    EXPECT_TRUE(program->waitForOutput("*** ("));
    program->signal(signal);
    return program->wait();
}

// The set at which an interrupted run says it stopped, or 0.
int stoppedAt(const std::string& out) {
    const std::string marker = "Search interrupted at set ";
    const std::size_t at = out.rfind(marker);
    return at == std::string::npos ? 0 : std::atoi(out.c_str() + at + marker.size());
}

// The lines of the sorted report.
std::set<std::string> reported(const std::string& out) {
    std::set<std::string> lines;
    const std::size_t report = out.find("... Sorting ...\n");
    std::istringstream in(report == std::string::npos ? "" : out.substr(report));
    for (std::string line; std::getline(in, line);) {
        if (line.starts_with("*** (")) {
            lines.insert(line);
        }
    }
    return lines;
}

std::string resumeHint(int set) {
    return "To search the rest, run the same command with -i " + std::to_string(set - 1) + "\n";
}

class StopSignals : public ::testing::TestWithParam<std::tuple<int, bool>> {};

TEST_P(StopSignals, StopTheSearchCleanly) {
    const auto [signal, mapMode] = GetParam();
    Sandbox box;
    writeLattice(box);
    const RunResult result = stopAtTheFirstResult(box, busySearch(mapMode), signal);
    EXPECT_EQ(result.status, 0);
    const int set = stoppedAt(result.out);
    ASSERT_GT(set, 0) << result.out.substr(result.out.size() > 300 ? result.out.size() - 300 : 0);
    EXPECT_TRUE(result.out.ends_with("Search interrupted at set " + std::to_string(set) + "\n"));
    EXPECT_EQ(result.err, resumeHint(set));
    EXPECT_FALSE(reported(result.out).empty());
    // Both files are complete: the log is the console, the pattern file is closed with "!".
    EXPECT_EQ(box.read("run.log"), result.out);
    const std::string pattern = box.read("out.rle").value_or("");
    EXPECT_TRUE(pattern.starts_with("x = 1000, y = 1000, rule = B3/S23\n"));
    EXPECT_TRUE(pattern.ends_with("51$\n!\n"));
}

INSTANTIATE_TEST_SUITE_P(SignalsAndModes, StopSignals,
                         ::testing::Combine(::testing::Values(SIGINT, SIGTERM, SIGHUP),
                                            ::testing::Bool()));

class Resume : public ::testing::TestWithParam<std::tuple<bool, const char*>> {};

// What an interrupted run found, and what the run resumed where it stopped finds, is what one
// run finds, with any number of threads: the stop is reported at the first set not searched in
// full.
TEST_P(Resume, FindsWhatOneRunFinds) {
    const auto [mapMode, threads] = GetParam();
    std::vector<std::string> search = busySearch(mapMode);
    search.insert(search.end(), {"-j", threads});
    Sandbox box;
    writeLattice(box);
    const RunResult whole = box.run(search);
    ASSERT_TRUE(whole.out.ends_with("Search complete\n"));
    const RunResult first = stopAtTheFirstResult(box, search, SIGINT);
    const int set = stoppedAt(first.out);
    ASSERT_GT(set, 0);
    const RunResult rest = box.run(skipping(search, set - 1));
    EXPECT_NE(rest.out.find("Searching (starting at set " + std::to_string(set) + ") ...\n"),
              std::string::npos);
    ASSERT_TRUE(rest.out.ends_with("Search complete\n"));
    std::set<std::string> found = reported(first.out);
    const std::set<std::string> more = reported(rest.out);
    found.insert(more.begin(), more.end());
    EXPECT_EQ(found, reported(whole.out));
}

// Under a sanitizer, where a run costs several times as much, with two threads only.
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
INSTANTIATE_TEST_SUITE_P(ModesAndThreads, Resume,
                         ::testing::Combine(::testing::Bool(), ::testing::Values("2")));
#else
INSTANTIATE_TEST_SUITE_P(ModesAndThreads, Resume,
                         ::testing::Combine(::testing::Bool(), ::testing::Values("1", "2", "8")));
#endif

TEST(Interrupt, WhileCountingTheSets) {
    Sandbox box;
    writeLattice(box);
    // Loops of every length up to 1500 have more sets than any run could count.
    const auto program = box.start({"-p", "1"});
    ASSERT_TRUE(program->waitForOutput("Counting component sets...\n"));
    program->signal(SIGINT);
    const RunResult result = program->wait();
    EXPECT_EQ(result.status, 0);
    EXPECT_TRUE(result.out.ends_with(" component sets\nSearching...\nSearch interrupted\n"))
        << result.out.substr(result.out.size() > 300 ? result.out.size() - 300 : 0);
    EXPECT_EQ(result.err, resumeHint(1));
}

TEST(Interrupt, WhileTheSearchMapIsBuilt) {
    Sandbox box;
    copyBundledCatalogue(box);
    // A map of this size takes minutes to build.
    const auto program = box.start({"-p", "3000", "-u", "3000", "-m", "-t", "0"});
    ASSERT_TRUE(program->waitForOutput("Creating search map...\n"));
    program->signal(SIGTERM);
    const RunResult result = program->wait();
    EXPECT_EQ(result.status, 0);
    EXPECT_TRUE(result.out.ends_with("Creating search map...\nSearch interrupted\n")) << result.out;
}

TEST(Interrupt, ASecondSignalEndsTheProgramAtOnce) {
    Sandbox box;
    writeLattice(box);
    const auto program = box.start(busySearch(false));
    ASSERT_TRUE(program->waitForOutput("*** ("));
    // Two different signals, which the system does not merge into one.
    program->signal(SIGINT);
    program->signal(SIGTERM);
    const RunResult result = program->wait();
    EXPECT_TRUE(result.status == -SIGINT || result.status == -SIGTERM) << result.status;
}

}  // namespace
}  // namespace trelkan::testing
