#include "run/rlewriter.h"

#include <gtest/gtest.h>

#include "run/output.h"
#include "tests/support/tempdir.h"

namespace trelkan {
namespace {

using testing::TempDir;

// Feeds the cells through the writer into a pattern file and returns the file's body, without
// its header line and its closing "!". Every test runs in a process of its own under CTest.
std::string encode(const std::string& cells) {
    TempDir dir;
    setPatternFile((dir.path() / "out.rle").string());
    RleWriter& writer = patternWriter();
    for (const char cell : cells) {
        writer.putCell(cell);
    }
    writer.endPattern();
    closeFiles();
    const std::string text = dir.read("out.rle").value_or("");
    const std::string header = "x = 1000, y = 1000, rule = B3/S23\n";
    EXPECT_EQ(text.substr(0, header.size()), header);
    EXPECT_EQ(text.substr(text.size() - 2), "!\n");
    return text.substr(header.size(), text.size() - header.size() - 2);
}

TEST(RleWriter, RunsOfCells) {
    // Pending row ends wait for the next live cell or the end of the pattern.
    EXPECT_EQ(encode("obooo$"), "ob3o$\n");
    EXPECT_EQ(encode("oo$"), "oo$\n");
    // Dead cells at the end of a row are dropped; empty rows collapse into one item.
    EXPECT_EQ(encode("ob$$$$bbo$"), "o4$bbo$\n");
    EXPECT_EQ(encode("obbbb$o$"), "o$o$\n");
    EXPECT_EQ(encode("o" + std::string(51, '$')), "o51$\n");
}

TEST(RleWriter, LinesHoldAtMostSeventySevenCharacters) {
    // Thirty items of three characters: 25 fit in a line (75 characters); a 26th would not.
    std::string cells;
    for (int i = 0; i < 15; ++i) {
        cells += std::string(10, 'b') + std::string(10, 'o');
    }
    cells += "$";
    const std::string body = encode(cells);
    const std::size_t lineEnd = body.find('\n');
    EXPECT_EQ(lineEnd, 75u);
    EXPECT_EQ(body.substr(lineEnd + 1), "10o10b10o10b10o$\n");
}

TEST(RleWriter, EachPatternStartsOnANewLine) {
    TempDir dir;
    setPatternFile((dir.path() / "out.rle").string());
    RleWriter& writer = patternWriter();
    writer.putCell('o');
    writer.putCell('$');
    writer.endPattern();
    writer.putCell('b');
    writer.putCell('o');
    writer.endPattern();
    closeFiles();
    EXPECT_EQ(dir.read("out.rle"), "x = 1000, y = 1000, rule = B3/S23\no$\nbo\n!\n");
}

TEST(RleWriter, NoPatternNoFile) {
    TempDir dir;
    setPatternFile((dir.path() / "out.rle").string());
    patternWriter().endPattern();
    closeFiles();
    EXPECT_TRUE(dir.files().empty());
}

}  // namespace
}  // namespace trelkan
