// The output channels, end to end: the log is an exact copy of the console messages, and files
// are created only when something is written to them.
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
    EXPECT_EQ(result.err,
              "Error reading RLE\nError reading RLE\n"
              "Variant v1 is never placed: its image and usage map could not be read\n");
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

}  // namespace
}  // namespace trelkan::testing
