// The command line, end to end: every error ends with the usage text and status 2 (the usage
// asked for, with status 0), and a correct command line makes exactly the targets it describes.
#include <gtest/gtest.h>

#include "tests/e2e/catalogues.h"
#include "tests/support/sandbox.h"

namespace trelkan::testing {
namespace {

struct UsageCase {
    std::vector<std::string> arguments;
    std::string err;  // before the usage text
};

// Names the case by its words in the test report.
void PrintTo(const UsageCase& usageCase, std::ostream* out) {
    *out << "trelkan";
    for (const std::string& word : usageCase.arguments) {
        *out << " '" << word << "'";
    }
}

class CommandLineErrors : public ::testing::TestWithParam<UsageCase> {};

TEST_P(CommandLineErrors, EndWithUsageAndNothingElse) {
    Sandbox box;
    writeCatalogue(box, kOneComponent);
    const RunResult result = box.run(GetParam().arguments);
    EXPECT_EQ(result.out, "");
    EXPECT_EQ(result.err, GetParam().err + kUsage);
    // Asked for, the usage is no failure; anything else searched nothing.
    const std::vector<std::string>& words = GetParam().arguments;
    const bool asked = words.empty() || words[0] == "-h" || words.back() == "-?";
    EXPECT_EQ(result.status, asked ? 0 : 2);
    EXPECT_EQ(box.files(), (std::vector<std::string>{"block.rle", "data/data.ini"}));
}

INSTANTIATE_TEST_SUITE_P(
    Options, CommandLineErrors,
    ::testing::Values(
        UsageCase{{}, ""}, UsageCase{{"-h", "-p", "30", "-f", "log.txt", "-o", "out.rle"}, ""},
        UsageCase{{"-p", "30", "-?"}, ""},
        UsageCase{{"-p", "12x"}, "Invalid argument for -p switch\n"},
        UsageCase{{"-p", "-5"}, "Invalid argument for -p switch\n"},
        UsageCase{{"-p", "4294967296"}, "Invalid argument for -p switch\n"},
        UsageCase{{"-p", "-c", "5"}, "Invalid argument for -p switch\nInvalid parameter: 5\n"},
        UsageCase{{"-p"}, "Missing argument for -p switch\n"},
        UsageCase{{"-p", "10", "-c"}, "Missing argument for -c switch\n"},
        UsageCase{{"-p", "10", "-n", "1 "}, "Invalid argument for -n switch\n"},
        UsageCase{{"-p", "10", "-l", "x"}, "Invalid argument for -l switch\n"},
        UsageCase{{"-p", "10", "-i", "+"}, "Invalid argument for -i switch\n"},
        UsageCase{{"-p", "10", "-u"}, "Missing argument for -u switch\n"},
        UsageCase{{"-p", "10", "-t", "1e3"}, "Invalid argument for -t switch\n"},
        UsageCase{{"-p", "10", "-x", "0x10"}, "Invalid argument for -x switch\n"},
        UsageCase{{"-p", "10", "-f"}, "Missing argument for -f switch\n"},
        UsageCase{{"-p", "10", "-o"}, "Missing argument for -o switch\n"},
        UsageCase{{"-p", "10", "-e"}, "Missing argument for -e switch\n"},
        UsageCase{{"-p", "10", "-j", "0"}, "Invalid argument for -j switch\n"},
        UsageCase{{"-p", "10", "-j"}, "Missing argument for -j switch\n"},
        UsageCase{{"-p", "10", "-k", "3/2"}, "Invalid argument for -k switch\n"},
        UsageCase{{"-p", "10", "-k", "0/2"}, "Invalid argument for -k switch\n"},
        UsageCase{{"-p", "10", "-k", "2"}, "Invalid argument for -k switch\n"},
        UsageCase{{"-p", "10", "-k", "1/x"}, "Invalid argument for -k switch\n"},
        UsageCase{{"-p", "10", "--merge"}, "Missing argument for --merge switch\n"},
        // A faulty command line shows the usage, whatever help it asks for.
        UsageCase{{"-p", "10", "-q", "--help"}, "Invalid parameter: -q\n"},
        UsageCase{{"--version", "-p", "x"}, "Invalid argument for -p switch\n"},
        UsageCase{{"-p", "10", "-d", "1", "2"}, "Missing DT argument for -d switch\n"},
        UsageCase{{"-p", "10", "-d"}, "Missing DX argument for -d switch\n"},
        UsageCase{{"-p", "10", "-d", "1", "2", "3", "f"}, "Invalid DIR argument for -d switch\n"},
        UsageCase{{"-p", "10", "-d", "a", "2b", "3", "L"},
                  "Invalid DX argument for -d switch\nInvalid DY argument for -d switch\n"},
        UsageCase{{"-p", "10", "-d", "1", "2", "3"}, "Missing DIR argument for -d switch\n"},
        // Neither a period nor a pattern file: nothing to do.
        UsageCase{{"-d", "1", "2", "3", "L"}, ""},
        UsageCase{{"-p", "1", "-u", "2000000000"},
                  "Too many targets: 2000000000 up to t=2000000000 (at most 1000000)\n"}));

RunResult runWithCatalogue(const std::vector<std::string>& arguments) {
    Sandbox box;
    writeCatalogue(box, kOneComponent);
    return box.run(arguments);
}

TEST(CommandLine, DefaultSeriesMakesLoopTargetsUpToFifteenHundred) {
    const RunResult result = runWithCatalogue({"-p", "30"});
    EXPECT_EQ(result.out, "Accepted 50 targets\n" + kOneComponentRun);
    EXPECT_EQ(result.err, "");
    EXPECT_EQ(result.status, 0);
}

TEST(CommandLine, SeriesRespectsMinlenAndMaxlen) {
    // Delays 7 and 37 are below 40; 127 is above 100.
    EXPECT_EQ(runWithCatalogue({"-p", "30", "-d", "5", "3", "7", "L", "-l", "40", "-u", "100"}).out,
              "Accepted 2 targets\n" + kOneComponentRun);
    // -l raises maxlen: only t = 20 remains; -u lowers minlen: only t = 10 remains.
    EXPECT_EQ(runWithCatalogue({"-p", "5", "-u", "10", "-l", "20"}).out,
              "Accepted 1 target\n" + kOneComponentRun);
    EXPECT_EQ(runWithCatalogue({"-p", "5", "-l", "20", "-u", "10"}).out,
              "Accepted 1 target\n" + kOneComponentRun);
    // minlen below 1 becomes 1.
    EXPECT_EQ(runWithCatalogue({"-p", "5", "-l", "-3", "-u", "10"}).out,
              "Accepted 2 targets\n" + kOneComponentRun);
}

TEST(CommandLine, ExtremeNumbersStayBounded) {
    // A period beyond every delay: the series holds nothing.
    EXPECT_EQ(runWithCatalogue({"-p", "2147483647"}).out,
              "Accepted 0 targets\n" + kOneComponentRun);
    // A first delay far below 1 does not walk the whole way up one step at a time.
    EXPECT_EQ(runWithCatalogue({"-p", "1", "-d", "0", "0", "-99999999999", "F", "-u", "5"}).out,
              "Accepted 5 targets\n" + kOneComponentRun);
    // Delays near the 32-bit limit do not wrap around into small ones.
    EXPECT_EQ(runWithCatalogue(
                  {"-p", "1000000000", "-d", "0", "0", "2147483000", "F", "-u", "2147483647"})
                  .out,
              "Accepted 1 target\n" + kOneComponentRun);
}

TEST(CommandLine, LargeSkipCountsStillNameTheFirstSetSearched) {
    // -2147483649 wraps to the largest 32-bit number, as every unsigned number does; a count
    // beyond 32 bits is taken as it is, since a long search has that many sets.
    const std::pair<const char*, const char*> cases[] = {
        {"2147483647", "2147483648"}, {"-2147483649", "2147483648"}, {"5000000000", "5000000001"}};
    for (const auto& [skip, first] : cases) {
        const RunResult result = runWithCatalogue({"-p", "10", "-u", "10", "-i", skip});
        EXPECT_NE(result.out.find("Searching (starting at set " + std::string(first) + ") ...\n"),
                  std::string::npos)
            << result.out;
        EXPECT_EQ(result.status, 0);
    }
}

TEST(CommandLine, PatternFileWithoutPeriodDrawsTheCatalogueWithoutTargets) {
    const RunResult result = runWithCatalogue({"-o", "out.rle"});
    EXPECT_EQ(result.out,
              "Loaded 1 components, 1 variants\nPrepared 1 components, 1 variants\n"
              "Generating test pattern...\n");
    EXPECT_EQ(result.err, "");
    EXPECT_EQ(result.status, 0);
}

TEST(CommandLine, ScriptTargetsReplaceTheSeries) {
    // The script sees the -d values read before it; no series is made from -d.
    EXPECT_EQ(
        runWithCatalogue({"-p", "30", "-d", "4", "5", "6", "R", "-e", "(a=0..1)F100+a[x,y]"}).out,
        "Accepted 2 targets\n" + kOneComponentRun);
    EXPECT_EQ(runWithCatalogue({"-p", "30", "-e", "L40[3,5]", "-e", "R2000[0,0]"}).out,
              "Accepted 1 target; 1 target over t=1500 ignored\n" + kOneComponentRun);
}

TEST(CommandLine, ScriptErrorsEndWithUsage) {
    Sandbox box;
    writeCatalogue(box, kOneComponent);
    const RunResult result =
        box.run({"-f", "run.log", "-p", "10", "-e", "(a=0..2)F10/a[0,0]", "-o", "out.rle"});
    // A division by zero is console output, so it reaches the log as well.
    EXPECT_EQ(result.out, "Division by zero\n");
    EXPECT_EQ(box.read("run.log"), "Division by zero\n");
    EXPECT_EQ(result.err, std::string("Extended target parsing error\n(a=0..2)F10/a[0,0]\n") +
                              std::string(13, '.') + "^\nInvalid argument for -e switch\n" +
                              kUsage);
    EXPECT_EQ(result.status, 2);
    EXPECT_FALSE(box.read("out.rle").has_value());
}

TEST(CommandLine, ScriptParseErrorsPutTheCaretWhereParsingStopped) {
    Sandbox box;
    writeCatalogue(box, kOneComponent);
    const std::string invalid = std::string("Invalid argument for -e switch\n") + kUsage;
    EXPECT_EQ(box.run({"-p", "10", "-e", "F10[0,0]X"}).err,
              "'..' expected\nExtra characters at the end of the line\n"
              "Extended target parsing error\nF10[0,0]X\n........^\n" +
                  invalid);
    EXPECT_EQ(box.run({"-p", "10", "-e", ""}).err,
              "Extended target parsing error\n\n^\n" + invalid);
    EXPECT_EQ(box.run({"-p", "10", "-e", "F10[ 0,0]"}).err,
              "Extended target parsing error\nF10[ 0,0]\n....^\n" + invalid);
}

TEST(CommandLine, ScriptWithTooManyCombinationsEndsWithUsage) {
    Sandbox box;
    writeCatalogue(box, kOneComponent);
    const RunResult result = box.run({"-p", "10", "-e", "(a=1..100000,b=1..100000)F10[a,b]"});
    EXPECT_EQ(result.out, "");
    EXPECT_EQ(result.err, std::string("Too many targets: over 1000000 combinations of the "
                                      "variables\nInvalid argument for -e switch\n") +
                              kUsage);
    EXPECT_EQ(result.status, 2);
}

TEST(CommandLine, LaterValueWins) {
    EXPECT_EQ(runWithCatalogue({"-p", "7", "-p", "500"}).out,
              "Accepted 3 targets\n" + kOneComponentRun);
}

}  // namespace
}  // namespace trelkan::testing
