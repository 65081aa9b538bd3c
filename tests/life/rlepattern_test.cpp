#include "life/rlepattern.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "tests/life/lifetesting.h"

namespace trelkan {
namespace {

using testing::normalised;
using testing::randomSoup;

std::optional<RlePattern> parse(std::string_view text) {
    std::string error;
    std::optional<RlePattern> pattern = parseRle(text, error);
    EXPECT_TRUE(pattern) << error;
    return pattern;
}

// The reason the text is refused; fails the test when it is accepted.
std::string refusal(std::string_view text) {
    std::string error;
    const std::optional<RlePattern> pattern = parseRle(text, error);
    EXPECT_FALSE(pattern) << "accepted: " << text.substr(0, 80);
    return error;
}

std::vector<std::string> linesOf(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) {
        lines.push_back(line);
    }
    return lines;
}

TEST(RlePattern, WritesTheGliderAsUsual) {
    EXPECT_EQ(writeRle(testing::pictureCells("bo$2bo$3o!", -7, 12)),
              "x = 3, y = 3, rule = B3/S23\nbo$2bo$3o!\n");
    EXPECT_EQ(writeRle({{0, 0}, {20, 0}, {21, 0}, {0, 5}}, {"#N sparse"}),
              "#N sparse\nx = 22, y = 6, rule = B3/S23\no19b2o5$o!\n");
}

TEST(RlePattern, RoundTripsSoupsInShortLines) {
    for (const Box& box : {Box{-80, 80, -20, 20}, Box{3, 5, -9, -2}, Box{-200, -199, 0, 300}}) {
        const std::vector<LifeCell> soup = randomSoup(41, box);
        const std::vector<std::string> comments = {"#C a soup", "#C of several rows"};
        const std::string text = writeRle(soup, comments);
        for (const std::string& line : linesOf(text)) {
            EXPECT_LE(line.size(), 70U) << line;
        }
        const std::optional<RlePattern> pattern = parse(text);
        ASSERT_TRUE(pattern);
        EXPECT_EQ(pattern->cellsOfState(1), normalised(soup));
        EXPECT_EQ(pattern->comments, comments);
        EXPECT_EQ(pattern->rule, "B3/S23");
    }
    const std::optional<RlePattern> empty = parse(writeRle({}));
    ASSERT_TRUE(empty);
    EXPECT_TRUE(empty->cells.empty());
}

TEST(RlePattern, ReadsMultiStateLettersAndRuns) {
    const std::optional<RlePattern> pattern =
        parse("#C states\nx = 6, y = 4, rule = LifeHistory\n.A2B$b.C\n$3oX.F!junk after the end");
    ASSERT_TRUE(pattern);
    EXPECT_EQ(pattern->comments, std::vector<std::string>{"#C states"});
    EXPECT_EQ(pattern->rule, "LifeHistory");
    EXPECT_EQ(pattern->cells, (std::vector<StateCell>{{1, 0, 1},
                                                      {2, 0, 2},
                                                      {3, 0, 2},
                                                      {2, 1, 3},
                                                      {0, 2, 1},
                                                      {1, 2, 1},
                                                      {2, 2, 1},
                                                      {3, 2, 24},
                                                      {5, 2, 6}}));
    EXPECT_EQ(pattern->cellsOfState(2), (std::vector<LifeCell>{{2, 0}, {3, 0}}));
    EXPECT_TRUE(pattern->cellsOfState(4).empty());
}

TEST(RlePattern, HeaderRuleAndLineEnds) {
    EXPECT_EQ(parse("x = 3, y = 3, rule = B36/S23\no!")->rule, "B36/S23");
    EXPECT_EQ(parse("x=3,y=3,rule=LifeHistory\no!")->rule, "LifeHistory");
    EXPECT_EQ(parse("x = 3, y = 3, rule = B3/S23:P40,30 \no!")->rule, "B3/S23:P40,30");
    EXPECT_EQ(parse("x = 3, y = 3\no!")->rule, "B3/S23");
    const std::optional<RlePattern> crlf = parse("#N glider\r\nx = 3, y = 3\r\nbo$2b\r\no$3o!\r\n");
    ASSERT_TRUE(crlf);
    EXPECT_EQ(crlf->comments, std::vector<std::string>{"#N glider"});
    EXPECT_EQ(crlf->cellsOfState(1), testing::pictureCells("bo$2bo$3o!"));
}

TEST(RlePattern, RefusesMalformedTextWithAReason) {
    EXPECT_NE(refusal("x = 3, y = 3\nbo$2bo$3o").find("'!'"), std::string::npos);
    EXPECT_NE(refusal("x = 3, y = 3\nbo$2bz$3o!").find("'z'"), std::string::npos);
    EXPECT_NE(refusal("bo$2bo$3o!").find("header"), std::string::npos);
    EXPECT_NE(refusal("#C only a comment\n").find("header"), std::string::npos);
    EXPECT_NE(refusal("").find("header"), std::string::npos);
    EXPECT_NE(refusal("x = 1\n3 o!").find("run count"), std::string::npos);
    // A blank inside a line is no item, as the catalogue's maps have it too.
    EXPECT_NE(refusal("x = 1\no b!").find("' '"), std::string::npos);
    // Lines are joined as they stand: an item split by a line end is another item.
    EXPECT_EQ(parse("x = 3\n1\n2o!")->cells.size(), 12u);
    EXPECT_NE(refusal("x = 1\n99999999999999999999999o!").find("too large"), std::string::npos);
    EXPECT_NE(refusal("x = 1\n16777217b!").find("too large"), std::string::npos);
    EXPECT_NE(refusal("x = 1\n16000000$16000000$o!").find("too large"), std::string::npos);
    std::string manyRows = "x = 1\n";
    for (int row = 0; row < 40; ++row) {
        manyRows += "16000000o$";
    }
    EXPECT_NE(refusal(manyRows + "!").find("cells"), std::string::npos);
}

// Cut short or garbled, a pattern is either read or refused with a reason, never a crash.
TEST(RlePattern, SurvivesTruncatedAndRandomText) {
    const std::string text = "#C x\nx = 6, y = 4, rule = LifeHistory\n.A2B$b.C\n12$3oX.F!";
    for (std::size_t length = 0; length < text.size(); ++length) {
        std::string error;
        EXPECT_FALSE(parseRle(text.substr(0, length), error));
        EXPECT_FALSE(error.empty());
    }
    std::mt19937 random(3);
    const std::string alphabet = "0123456789bo.ABXYz$!#x= \n\r";
    std::uniform_int_distribution<std::size_t> pick(0, alphabet.size() - 1);
    for (int trial = 0; trial < 2000; ++trial) {
        std::string garbled = trial % 2 == 0 ? "x = 0, y = 0\n" : "";
        for (int i = 0; i < 40; ++i) {
            garbled += alphabet[pick(random)];
        }
        std::string error;
        const std::optional<RlePattern> pattern = parseRle(garbled, error);
        EXPECT_TRUE(pattern || !error.empty()) << garbled;
    }
}

TEST(RlePattern, ReadFileErrorsNameTheFile) {
    std::string error;
    EXPECT_FALSE(readRleFile("/nonexistent/pattern.rle", error));
    EXPECT_NE(error.find("/nonexistent/pattern.rle"), std::string::npos);
}

// The public conduit collection: one large LifeHistory picture.
TEST(RlePattern, ReadsTheConduitCollection) {
    const std::filesystem::path file =
        std::filesystem::path(TRELKAN_SOURCES_DIR) / "h-to-h-collection-26Aug2017.rle";
    std::string error;
    const std::optional<RlePattern> pattern = readRleFile(file.string(), error);
    ASSERT_TRUE(pattern) << error;
    std::map<int, int> counts;
    for (const StateCell& cell : pattern->cells) {
        ++counts[cell.state];
    }
    EXPECT_EQ(counts[1], 11618);
    EXPECT_EQ(counts[2], 120650);
    EXPECT_EQ(counts[4], 52784);
    EXPECT_EQ(counts[6], 22043);
    EXPECT_FALSE(pattern->comments.empty());
}

}  // namespace
}  // namespace trelkan
