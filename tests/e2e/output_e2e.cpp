// The output channels, end to end: the log is an exact copy of the console messages, files are
// created only when something is written to them, never over the catalogue, and an output that
// cannot be written is a failure that the run reports.
#include <gtest/gtest.h>

#include "tests/e2e/catalogues.h"
#include "tests/support/sandbox.h"

namespace trelkan::testing {
namespace {

const std::vector<std::string> kCatalogueFiles{"block.rle", "data/data.ini"};

TEST(Output, LogCopiesTheConsoleExactly) {
    Sandbox box;
    writeCatalogue(box, kOneComponent);
    const RunResult result = box.run({"-p", "100", "-f", "run.log"});
    EXPECT_EQ(result.out, "Accepted 15 targets\n" + kOneComponentRun);
    EXPECT_EQ(box.read("run.log"), result.out);
    EXPECT_EQ(result.status, 0);
}

TEST(Output, LogHoldsTheFatalMessagesOfTheDefinitionFile) {
    Sandbox box;
    writeCatalogue(box, "[Components]\nturn L 0 0 0\n[Pairs]\n[Sequences]\n");
    const RunResult result = box.run({"-p", "100", "-u", "100", "-f", "run.log"});
    const std::string expected =
        "Accepted 1 target\nInteger value too small (0) - limit is 1\nInvalid DT\n"
        "data/data.ini:2: Syntax error in component definition\n";
    EXPECT_EQ(result.out, expected);
    EXPECT_EQ(box.read("run.log"), expected);
    EXPECT_EQ(result.status, 1);
}

TEST(Output, StandardErrorStaysOutOfTheLog) {
    Sandbox box;
    writeCatalogue(box,
                   "[Components]\na F 5 0 0\n v1 1 1 0 GS bad.rle 0 0 bad.rle 0 0\n"
                   "[Pairs]\n[Sequences]\n");
    box.write("bad.rle", "2o 3b!\n");
    const RunResult result = box.run({"-p", "5", "-u", "5", "-f", "run.log"});
    EXPECT_EQ(
        result.err,
        "Error reading RLE\nError reading RLE\n"
        "Variant v1 is never placed: its image (bad.rle) and usage map (bad.rle) could not be "
        "read\n");
    EXPECT_EQ(box.read("run.log"), result.out);
}

TEST(Output, NoFileWithoutOutput) {
    Sandbox box;
    writeCatalogue(box, kOneComponent);
    // The usage text is not console output: no log appears.
    EXPECT_EQ(box.run({"-f", "run.log", "-x"}).status, 2);
    // A run that finds nothing writes no pattern, so no pattern file appears.
    EXPECT_EQ(box.run({"-p", "100", "-o", "out.rle"}).status, 0);
    EXPECT_EQ(box.files(), kCatalogueFiles);
}

TEST(Output, UnwritableLogIsDroppedSilently) {
    Sandbox box;
    writeCatalogue(box, kOneComponent);
    const RunResult result = box.run({"-p", "100", "-f", "no/such/dir/run.log"});
    EXPECT_EQ(result.out, "Accepted 15 targets\n" + kOneComponentRun);
    EXPECT_EQ(result.err, "");
    EXPECT_EQ(result.status, 0);
    EXPECT_EQ(box.files(), kCatalogueFiles);
}

TEST(Output, LaterLogNameWins) {
    Sandbox box;
    writeCatalogue(box, kOneComponent);
    const RunResult result = box.run({"-f", "first.log", "-p", "1500", "-f", "second.log"});
    EXPECT_EQ(box.read("second.log"), result.out);
    EXPECT_FALSE(box.read("first.log").has_value());
}

// A full disk takes what is written without a word until the data must go out: the run says which
// output it lost and ends with status 3.
TEST(Output, WriteErrorsAreFailures) {
    struct Case {
        std::string options;
        std::string output;
        std::string err;
    };
    const std::vector<Case> cases = {
        {"-o /dev/full", "/dev/null", "The pattern file could not be written: /dev/full\n"},
        {"-f /dev/full", "/dev/null", "The log file could not be written: /dev/full\n"},
        {"", "/dev/full", "Standard output could not be written\n"},
    };
    for (const Case& c : cases) {
        Sandbox box;
        writeCatalogue(box, kOneComponent);
        // Four left turns make a loop at 256, so that the pattern file gets a result. Standard
        // error is what the test reads.
        const std::string command =
            std::string(TRELKAN_BINARY) + " -p 256 -u 256 " + c.options + " 2>&1 >" + c.output;
        const RunResult result = box.runProgram("/bin/sh", {"-c", command});
        EXPECT_EQ(result.out, c.err) << c.options;
        EXPECT_EQ(result.status, 3) << c.options;
    }
}

TEST(Output, FilesNeverOverwriteTheCatalogue) {
    for (const std::vector<std::string>& arguments :
         {std::vector<std::string>{"-p", "100", "-f", "data/data.ini"},
          std::vector<std::string>{"-p", "100", "-o", "./data/../data/data.ini"},
          std::vector<std::string>{"-o", "block.rle"}}) {
        Sandbox box;
        writeCatalogue(box, kOneComponent);
        const std::string& name = arguments.back();
        const std::string what = arguments[arguments.size() - 2] == "-f" ? "log" : "pattern";
        const RunResult result = box.run(arguments);
        EXPECT_EQ(result.err,
                  "The " + what + " file may not overwrite the catalogue: " + name + "\n" + kUsage);
        EXPECT_EQ(result.status, 2);
        EXPECT_EQ(box.read("data/data.ini"), kOneComponent);
        EXPECT_EQ(box.read("block.rle"), kBlockRle);
    }
}

TEST(Output, ASearchMapThatCannotFitIsNotMade) {
    Sandbox box;
    writeCatalogue(box, kOneComponent);
    const RunResult result = box.run({"-p", "2147483647", "-u", "2147483647", "-m"});
    EXPECT_TRUE(result.out.ends_with("Search not made: the search map does not fit in memory\n"))
        << result.out;
    EXPECT_TRUE(result.err.starts_with("The search map needs ")) << result.err;
    EXPECT_EQ(result.status, 3);
}

// Memory that runs out in the middle of the search ends it as an interruption would: the results
// found are reported, the files are closed, and the run can be resumed.
// In one thread: the address space that more threads take depends on the build. The engine's
// tests run out of memory in a worker of many.
TEST(Output, RunningOutOfMemoryKeepsWhatWasFound) {
#if defined(__SANITIZE_ADDRESS__)
    GTEST_SKIP() << "AddressSanitizer needs more address space than the limit leaves";
#else
    Sandbox box;
    copyBundledCatalogue(box);
    // The map fits; the solver's stores of the search that follows do not.
    box.limitMemory(std::uint64_t{43} << 20);
    const RunResult result =
        box.run({"-p", "1100", "-u", "1100", "-m", "-s", "-o", "out.rle", "-j", "1"});
    EXPECT_EQ(result.status, 3);
    EXPECT_NE(result.err.find("Out of memory in set "), std::string::npos) << result.err;
    EXPECT_NE(result.err.find("To search the rest, run the same command with -i "),
              std::string::npos);
    EXPECT_NE(result.out.find("\nSearch interrupted"), std::string::npos);
    EXPECT_TRUE(box.read("out.rle").value_or("!\n").ends_with("!\n"));
#endif
}

}  // namespace
}  // namespace trelkan::testing
