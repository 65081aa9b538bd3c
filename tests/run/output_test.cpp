#include "run/output.h"

#include <gtest/gtest.h>

#include "tests/support/tempdir.h"

namespace trelkan {
namespace {

using testing::TempDir;

// The channels are process-wide; each test runs in a process of its own under CTest, and every
// test here ends with closeFiles, which forgets the names.

TEST(Output, PatternFileGetsHeaderFirstAndTerminatorLast) {
    TempDir dir;
    setPatternFile((dir.path() / "out.rle").string());
    EXPECT_TRUE(patternEnabled());
    EXPECT_FALSE(dir.read("out.rle").has_value());
    writePatternText("2o$\n");
    writePatternText("3o51$\n");
    flushFiles();
    EXPECT_EQ(dir.read("out.rle"), "x = 1000, y = 1000, rule = B3/S23\n2o$\n3o51$\n");
    closeFiles();
    EXPECT_EQ(dir.read("out.rle"), "x = 1000, y = 1000, rule = B3/S23\n2o$\n3o51$\n!\n");
    EXPECT_FALSE(patternEnabled());
}

TEST(Output, PatternFileThatCannotBeCreatedIsDropped) {
    TempDir dir;
    setPatternFile((dir.path() / "missing" / "out.rle").string());
    writePatternText("o!\n");
    EXPECT_FALSE(patternEnabled());
    closeFiles();
    EXPECT_TRUE(dir.files().empty());
}

TEST(Output, LogCopiesWhatStandardOutputGets) {
    TempDir dir;
    setLogFile((dir.path() / "first.log").string());
    setLogFile((dir.path() / "run.log").string());
    ::testing::internal::CaptureStdout();
    writeOutput("one\n");
    writeOutput(formatMessage("%d %s\n", 2, "two"));
    EXPECT_EQ(::testing::internal::GetCapturedStdout(), "one\n2 two\n");
    // Once open, the log keeps its name.
    setLogFile((dir.path() / "other.log").string());
    closeFiles();
    EXPECT_EQ(dir.files(), std::vector<std::string>{"run.log"});
    EXPECT_EQ(dir.read("run.log"), "one\n2 two\n");
}

TEST(Output, FormatMessageHandlesLongText) {
    const std::string word(5000, 'w');
    EXPECT_EQ(formatMessage("<%s>", word.c_str()), "<" + word + ">");
    EXPECT_EQ(formatMessage("%s", ""), "");
}

}  // namespace
}  // namespace trelkan
