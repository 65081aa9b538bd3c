#include "run/console.h"

#include <gtest/gtest.h>

#include "base/format.h"
#include "tests/support/tempdir.h"

namespace trelkan {
namespace {

using testing::TempDir;

constexpr const char* kHeader = "x = 1000, y = 1000, rule = B3/S23\n";

TEST(Console, PatternFileGetsHeaderFirstAndTerminatorLast) {
    TempDir dir;
    Console console;
    console.setPatternFile((dir.path() / "out.rle").string());
    EXPECT_TRUE(console.patternEnabled());
    EXPECT_FALSE(dir.read("out.rle").has_value());
    RleWriter& writer = console.patternWriter();
    writer.putRun(2, RleWriter::kLive);
    writer.putCell(RleWriter::kRowEnd);
    writer.endPattern();
    // Each pattern starts on a line of its own; runs of two are spelled out.
    writer.putCell(RleWriter::kDead);
    writer.putRun(3, RleWriter::kLive);
    writer.putRun(51, RleWriter::kRowEnd);
    writer.endPattern();
    console.flushFiles();
    EXPECT_EQ(dir.read("out.rle"), std::string(kHeader) + "oo$\nb3o51$\n");
    console.closeFiles();
    EXPECT_EQ(dir.read("out.rle"), std::string(kHeader) + "oo$\nb3o51$\n!\n");
    EXPECT_FALSE(console.patternEnabled());
}

TEST(Console, PatternLinesHoldAtMostSeventySevenCharacters) {
    TempDir dir;
    Console console;
    console.setPatternFile((dir.path() / "out.rle").string());
    // Thirty items of three characters: 25 fit in a line (75 characters); a 26th would not.
    RleWriter& writer = console.patternWriter();
    for (int i = 0; i < 15; ++i) {
        writer.putRun(10, RleWriter::kDead);
        writer.putRun(10, RleWriter::kLive);
    }
    writer.putCell(RleWriter::kRowEnd);
    writer.endPattern();
    console.closeFiles();
    const std::string body = dir.read("out.rle").value_or("").substr(std::string(kHeader).size());
    EXPECT_EQ(body.find('\n'), 75u);
    EXPECT_EQ(body.substr(76), "10o10b10o10b10o$\n!\n");
}

TEST(Console, NoPatternNoFile) {
    TempDir dir;
    Console console;
    console.setPatternFile((dir.path() / "out.rle").string());
    console.patternWriter().endPattern();
    console.closeFiles();
    EXPECT_TRUE(dir.files().empty());
}

TEST(Console, PatternFileThatCannotBeCreatedIsDropped) {
    TempDir dir;
    Console console;
    console.setPatternFile((dir.path() / "missing" / "out.rle").string());
    console.patternWriter().putCell(RleWriter::kLive);
    console.patternWriter().endPattern();
    EXPECT_FALSE(console.patternEnabled());
    console.closeFiles();
    EXPECT_TRUE(dir.files().empty());
}

TEST(Console, LogCopiesWhatStandardOutputGets) {
    TempDir dir;
    Console console;
    console.setLogFile((dir.path() / "first.log").string());
    console.setLogFile((dir.path() / "run.log").string());
    ::testing::internal::CaptureStdout();
    console.write("one\n");
    console.write(formatMessage("%d %s\n", 2, "two"));
    EXPECT_EQ(::testing::internal::GetCapturedStdout(), "one\n2 two\n");
    // Once open, the log keeps its name.
    console.setLogFile((dir.path() / "other.log").string());
    console.closeFiles();
    EXPECT_EQ(dir.files(), std::vector<std::string>{"run.log"});
    EXPECT_EQ(dir.read("run.log"), "one\n2 two\n");
}

TEST(Console, FormatMessageHandlesLongText) {
    const std::string word(5000, 'w');
    EXPECT_EQ(formatMessage("<%s>", word.c_str()), "<" + word + ">");
    EXPECT_EQ(formatMessage("%s", ""), "");
}

}  // namespace
}  // namespace trelkan
