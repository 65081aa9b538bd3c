// Progress on standard error, end to end: a status line redrawn on a terminal and a summary at the
// end, plain lines when asked for, nothing on a file; standard output the same whatever is shown.
// And the help and the version on standard output.
#include <gtest/gtest.h>

#include <cctype>
#include <cstdio>
#include <set>
#include <sstream>

#include "base/version.h"
#include "tests/e2e/catalogues.h"
#include "tests/support/sandbox.h"

namespace trelkan::testing {
namespace {

// The text with every run of digits written as one "#": the shape that numbers leave.
std::string shapeOf(const std::string& text) {
    std::string shape;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const bool digit = std::isdigit(static_cast<unsigned char>(text[i])) != 0;
        if (!digit) {
            shape += text[i];
        } else if (i == 0 || std::isdigit(static_cast<unsigned char>(text[i - 1])) == 0) {
            shape += '#';
        }
    }
    return shape;
}

// What a status line or a progress line may say.
bool isProgressLine(const std::string& line) {
    std::set<std::string> shapes = {"Preparing the search",
                                    "Creating search map: # of # generations grown",
                                    "Creating search map: # of # generations pruned",
                                    "Counting component sets",
                                    "Counting component sets: # so far",
                                    "Searching: # of # sets (#.#%)"};
    for (const char* left : {"# s", "# min # s", "# h # min"}) {
        shapes.insert(std::string("Searching: # of # sets (#.#%), # sets/s, ") + left + " left");
    }
    return shapes.count(shapeOf(line)) == 1;
}

// The results that a search printed: the lines before the sorted report.
long long resultsIn(const std::string& out) {
    const std::size_t end = out.find("... Sorting ...");
    long long results = 0;
    for (std::size_t at = out.find("*** "); at < end; at = out.find("*** ", at + 1)) {
        ++results;
    }
    return results;
}

// "N results, S of S sets searched in T s": the results of the search, and every set searched.
bool isSummaryOf(const std::string& text, long long results) {
    long long said = -1;
    long long done = -1;
    long long total = -2;
    const bool parsed =
        std::sscanf(text.c_str(), "%lld result%*[s], %lld of %lld", &said, &done, &total) == 3 ||
        std::sscanf(text.c_str(), "%lld result, %lld of %lld", &said, &done, &total) == 3;
    const std::string ending = results == 1 ? "" : "s";
    const std::string shape = shapeOf(text);
    const std::string start = "# result" + ending + ", # of # sets searched in ";
    // A loaded machine may take a minute over even the smallest search.
    return parsed && said == results && done == total &&
           (shape == start + "#.# s\n" || shape == start + "# min # s\n");
}

// A terminal's text: status lines, each drawn as "\r" line "\033[K" and erased as "\r\033[K",
// then the summary. The lines drawn are checked; what follows the last erasure is returned.
std::string afterStatusLines(const std::string& terminal) {
    std::size_t drawn = 0;
    std::size_t at = 0;
    for (std::size_t end; (end = terminal.find("\033[K", at)) != std::string::npos; at = end + 3) {
        EXPECT_EQ(terminal[at], '\r') << terminal;
        const std::string line = terminal.substr(at + 1, end - at - 1);
        if (!line.empty()) {
            ++drawn;
            EXPECT_TRUE(isProgressLine(line)) << line;
        }
    }
    EXPECT_GE(drawn, 1u) << terminal;
    return terminal.substr(at);
}

class Progress : public ::testing::TestWithParam<std::vector<std::string>> {};

TEST_P(Progress, OnATerminalAndInALogButNeverOnStandardOutput) {
    Sandbox box;
    writeLattice(box);
    const std::vector<std::string>& search = GetParam();
    const RunResult plain = box.run(search);
    EXPECT_EQ(plain.err, "");
    ASSERT_NE(plain.out.find("*** ("), std::string::npos) << plain.out;
    const long long results = resultsIn(plain.out);

    const RunResult shown = box.runOnTerminal(search);
    EXPECT_EQ(shown.out, plain.out);
    EXPECT_EQ(shown.status, plain.status);
    EXPECT_TRUE(isSummaryOf(afterStatusLines(shown.err), results)) << shown.err;

    std::vector<std::string> forced = search;
    forced.push_back("--progress");
    const RunResult logged = box.run(forced);
    EXPECT_EQ(logged.out, plain.out);
    std::istringstream lines(logged.err);
    std::string line;
    std::string last;
    while (std::getline(lines, line)) {
        if (!last.empty()) {
            EXPECT_TRUE(isProgressLine(last)) << logged.err;
        }
        last = line;
    }
    EXPECT_TRUE(isSummaryOf(last + "\n", results)) << logged.err;

    forced.back() = "--no-progress";
    EXPECT_EQ(box.runOnTerminal(forced).err, "");
}

INSTANTIATE_TEST_SUITE_P(
    Searches, Progress,
    ::testing::Values(std::vector<std::string>{"-p", "12", "-u", "12"},
                      std::vector<std::string>{"-p", "12", "-u", "12", "-m"},
                      std::vector<std::string>{"-p", "8", "-u", "12", "-j", "2", "-s"},
                      std::vector<std::string>{"-p", "12", "-u", "12", "-j", "2", "-m", "-i", "3",
                                               "-k", "1/2"}));

struct InformationCase {
    std::vector<std::string> arguments;
    // The start of standard output, or all of it for the version.
    std::string out;
};

// The options that the help's lines begin with ("  -h, -?   ...").
std::set<std::string> helpOptions(const std::string& help) {
    std::set<std::string> names;
    std::istringstream lines(help);
    for (std::string line; std::getline(lines, line);) {
        std::istringstream words(line.starts_with("  -") ? line : "");
        for (std::string word; words >> word && word.starts_with("-");) {
            names.insert(word.ends_with(",") ? word.substr(0, word.size() - 1) : word);
        }
    }
    return names;
}

void PrintTo(const InformationCase& informationCase, std::ostream* out) {
    *out << "trelkan";
    for (const std::string& word : informationCase.arguments) {
        *out << " '" << word << "'";
    }
}

class Information : public ::testing::TestWithParam<InformationCase> {};

TEST_P(Information, OnStandardOutputAlone) {
    Sandbox box;
    writeLattice(box);
    const RunResult result = box.run(GetParam().arguments);
    EXPECT_EQ(result.err, "");
    EXPECT_EQ(result.status, 0);
    if (GetParam().out.starts_with("trelkan ")) {
        EXPECT_EQ(result.out, GetParam().out);
    } else {
        EXPECT_TRUE(result.out.starts_with(GetParam().out)) << result.out;
        // Every option of the usage, and the new ones, each on a line of its own.
        std::string usage = kUsage;
        usage += "[--progress] [--no-progress] [-h] [-?] [--help] [--version]";
        std::set<std::string> expected;
        for (std::size_t at = usage.find("[-"); at != std::string::npos;
             at = usage.find("[-", at + 1)) {
            const std::size_t end = usage.find_first_not_of("-abcdefghijklmnopqrstuvwxyz?", at + 1);
            expected.insert(usage.substr(at + 1, end - at - 1));
        }
        EXPECT_EQ(helpOptions(result.out), expected);
        EXPECT_TRUE(result.out.ends_with("README.md, beside data/ in the trelkan sources.\n"));
    }
    // Neither a search nor a log.
    EXPECT_EQ(box.files(), (std::vector<std::string>{"data/data.ini", "dot.rle"}));
}

INSTANTIATE_TEST_SUITE_P(
    Options, Information,
    ::testing::Values(InformationCase{{"--version"}, std::string("trelkan ") + kVersion + "\n"},
                      InformationCase{{"-p", "8", "--version", "-f", "log"},
                                      std::string("trelkan ") + kVersion + "\n"},
                      InformationCase{{"--help"}, "Usage: trelkan [options]"},
                      InformationCase{{"-p", "8", "-f", "log", "--help", "-h"},
                                      "Usage: trelkan [options]"}));

}  // namespace
}  // namespace trelkan::testing
