#include "catalogue/linereader.h"

#include <gtest/gtest.h>

#include "tests/support/tempdir.h"

namespace trelkan {
namespace {

using testing::TempDir;

std::vector<std::pair<int, std::string>> readAll(const std::string& content, int size = 2000) {
    TempDir dir;
    const auto path = dir.write("file.txt", content);
    LineReader reader(path.string());
    EXPECT_TRUE(reader.isOpen());
    std::vector<std::pair<int, std::string>> lines;
    std::string line;
    while (reader.readLine(line, size)) {
        lines.emplace_back(reader.lineNumber(), line);
    }
    lines.emplace_back(reader.lineNumber(), "<end>");
    return lines;
}

using Lines = std::vector<std::pair<int, std::string>>;

TEST(LineReader, CommentsBlanksAndLineNumbers) {
    EXPECT_EQ(readAll("a\n\n# note\n  b # c\n\t\n"), (Lines{{1, "a"}, {4, "  b"}, {6, "<end>"}}));
    // Line ends of other systems and trailing bytes above 0x7f are trailing blanks.
    EXPECT_EQ(readAll("a\r\nb\xc3\xa9\r\n\xff\n"), (Lines{{1, "a"}, {2, "b"}, {4, "<end>"}}));
    // A last line without its end is still a line.
    EXPECT_EQ(readAll("x y"), (Lines{{1, "x y"}, {2, "<end>"}}));
    EXPECT_EQ(readAll(""), (Lines{{1, "<end>"}}));
}

TEST(LineReader, LongLinesComeInPieces) {
    const std::string longLine(10, 'x');
    EXPECT_EQ(readAll(longLine + "\nz\n", 4),
              (Lines{{1, "xxx"}, {2, "xxx"}, {3, "xxx"}, {4, "x"}, {5, "z"}, {6, "<end>"}}));
    // A "#" only starts a comment within its own piece.
    EXPECT_EQ(readAll("ab#cdef\n", 4), (Lines{{1, "ab"}, {2, "cde"}, {3, "f"}, {4, "<end>"}}));
}

TEST(LineReader, NoRoomReadsNothing) {
    TempDir dir;
    LineReader reader(dir.write("file.txt", "abc\n").string());
    std::string line;
    EXPECT_FALSE(reader.readLine(line, 1));
    EXPECT_FALSE(reader.readLine(line, 0));
    EXPECT_TRUE(reader.readLine(line, 2));
    EXPECT_EQ(line, "a");
}

TEST(LineReader, MissingFile) {
    LineReader reader("/nonexistent/definitely/not/here");
    EXPECT_FALSE(reader.isOpen());
    std::string line;
    EXPECT_FALSE(reader.readLine(line));
}

TEST(LineTokens, SplitAtRunsOfSpacesAndTabs) {
    LineTokens tokens(" \tname  F\t\t10 =x ");
    std::vector<std::string> seen;
    while (auto token = tokens.next()) {
        seen.emplace_back(*token);
    }
    EXPECT_EQ(seen, (std::vector<std::string>{"name", "F", "10", "=x"}));
    EXPECT_FALSE(tokens.next().has_value());
}

}  // namespace
}  // namespace trelkan
