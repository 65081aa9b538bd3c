// Ctrl+C during a search, end to end: the search stops cleanly, reports what it found, closes its
// files, says where it stopped, and can be resumed there.
#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <thread>

#include "tests/e2e/catalogues.h"
#include "tests/support/sandbox.h"

namespace trelkan::testing {
namespace {

// Loops of 20 steps take long to enumerate, and the first ones turn up early.
const std::vector<std::string> kBusySearch = {"-p", "20", "-u",      "20", "-s",     "-n",
                                              "1",  "-f", "run.log", "-o", "out.rle"};

// Interrupts the run once its log shows a result (the log is flushed after every result), or
// after a while when the run is not expected to find one soon.
RunResult interrupt(const Sandbox& box, const std::vector<std::string>& arguments, int signals,
                    bool waitForResult) {
    const auto program = box.start(arguments);
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(40);
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
    while (waitForResult && std::chrono::steady_clock::now() < deadline &&
           box.read("run.log").value_or("").find("*** (") == std::string::npos) {
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    for (int i = 0; i < signals; ++i) {
        program->signal(SIGINT);
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return program->wait();
}

// The set at which an interrupted run says it stopped, or 0.
int stoppedAt(const std::string& out) {
    const std::string marker = "Search interrupted at set ";
    const std::size_t at = out.rfind(marker);
    if (at == std::string::npos || !out.ends_with("\n")) {
        return 0;
    }
    return std::atoi(out.c_str() + at + marker.size());
}

// The set numbers of the result lines "*** (area @ set) ...".
std::vector<int> resultSets(const std::string& out) {
    std::vector<int> sets;
    for (std::size_t at = out.find(" @ "); at != std::string::npos; at = out.find(" @ ", at + 1)) {
        sets.push_back(std::atoi(out.c_str() + at + 3));
    }
    return sets;
}

TEST(Interrupt, StopsCleanlyAndReportsWhatItFound) {
    Sandbox box;
    writeLattice(box);
    // Two signals in a row are handled like one.
    const RunResult result = interrupt(box, kBusySearch, 2, true);
    EXPECT_EQ(result.status, 0);
    EXPECT_EQ(result.err, "");
    const int set = stoppedAt(result.out);
    ASSERT_GT(set, 0) << result.out.substr(result.out.size() > 300 ? result.out.size() - 300 : 0);
    EXPECT_NE(result.out.find("Searching...\n*** (20 @ "), std::string::npos);
    // The sorted report of what was found comes before the last line.
    const std::size_t report = result.out.find("... Sorting ...\n*** (20) ");
    ASSERT_NE(report, std::string::npos);
    EXPECT_NE(result.out.find("\nResult number limit reached\n\n", report), std::string::npos)
        << result.out.substr(report);
    // Both files are complete: the log is the console, the pattern file is closed with "!".
    EXPECT_EQ(box.read("run.log"), result.out);
    const std::string pattern = box.read("out.rle").value_or("");
    EXPECT_EQ(pattern.substr(0, 34), "x = 1000, y = 1000, rule = B3/S23\n");
    EXPECT_TRUE(pattern.ends_with("51$\n!\n"));
}

TEST(Interrupt, ResumesAtTheSetWhereItStopped) {
    Sandbox box;
    writeLattice(box);
    const int set = stoppedAt(interrupt(box, kBusySearch, 1, true).out);
    ASSERT_GT(set, 0);
    std::vector<std::string> resumed = kBusySearch;
    resumed.insert(resumed.end(), {"-i", std::to_string(set - 1)});
    std::filesystem::remove(box.path() / "run.log");
    const RunResult result = interrupt(box, resumed, 1, true);
    EXPECT_NE(result.out.find("Searching (starting at set " + std::to_string(set) + ") ...\n"),
              std::string::npos);
    // Every result of the resumed run comes from the set it resumed at or a later one.
    for (const int resultSet : resultSets(result.out)) {
        EXPECT_GE(resultSet, set);
    }
    EXPECT_GE(stoppedAt(result.out), set);
}

// In the search-map mode the loops of 20 steps start to come at set 6; each set's search is long.
std::vector<std::string> busyMapSearch(int skippedSets) {
    return {"-p", "20",      "-u", "20",     "-s",
            "-n", "1",       "-m", "-i",     std::to_string(skippedSets),
            "-f", "run.log", "-o", "out.rle"};
}

TEST(Interrupt, StopsTheMapModeWithinASetAndResumesThere) {
    Sandbox box;
    writeLattice(box);
    const RunResult first = interrupt(box, busyMapSearch(5), 2, true);
    EXPECT_EQ(first.status, 0);
    EXPECT_EQ(first.err, "");
    const int set = stoppedAt(first.out);
    ASSERT_GE(set, 6) << first.out.substr(first.out.size() > 300 ? first.out.size() - 300 : 0);
    EXPECT_NE(first.out.find("Searching (starting at set 6) ...\n*** (20 @ 6) "),
              std::string::npos);
    EXPECT_NE(first.out.find("... Sorting ...\n*** (20) "), std::string::npos);
    EXPECT_EQ(box.read("run.log"), first.out);
    EXPECT_TRUE(box.read("out.rle").value_or("").ends_with("51$\n!\n"));

    std::filesystem::remove(box.path() / "run.log");
    const RunResult resumed = interrupt(box, busyMapSearch(set - 1), 1, true);
    EXPECT_NE(resumed.out.find("Searching (starting at set " + std::to_string(set) + ") ...\n"),
              std::string::npos);
    for (const int resultSet : resultSets(resumed.out)) {
        EXPECT_GE(resultSet, set);
    }
    EXPECT_GE(stoppedAt(resumed.out), set);
}

TEST(Interrupt, WhileCountingTheSets) {
    Sandbox box;
    writeLattice(box);
    // Loops of every length up to 1500 have more sets than any run could count.
    const RunResult result = interrupt(box, {"-p", "1"}, 1, false);
    EXPECT_EQ(result.status, 0);
    EXPECT_NE(result.out.find("Counting component sets...\nFound "), std::string::npos);
    EXPECT_TRUE(result.out.ends_with(" component sets\nSearching...\nSearch interrupted\n"))
        << result.out.substr(result.out.size() > 300 ? result.out.size() - 300 : 0);
}

}  // namespace
}  // namespace trelkan::testing
