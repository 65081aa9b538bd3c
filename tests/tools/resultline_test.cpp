#include "tools/verify/resultline.h"

#include <gtest/gtest.h>

namespace trelkan {
namespace {

std::vector<std::string> namesOf(std::string_view line) {
    std::string error;
    const auto result = parseResultLine(line, 7, error);
    EXPECT_TRUE(result.has_value()) << error;
    return result ? result->names : std::vector<std::string>{};
}

using Names = std::vector<std::string>;

TEST(ResultLine, NamesBetweenTheAreaAndTheLabel) {
    EXPECT_EQ(namesOf("*** (120) h1a c2b"), (Names{"h1a", "c2b"}));
    EXPECT_EQ(namesOf("*** (4410 @ 17) L112a L112a L112a L112a\r\n"),
              (Names{"L112a", "L112a", "L112a", "L112a"}));
    EXPECT_EQ(namesOf("*** (99) R64a Fx77b (l=1,p=30,u=1500)"), (Names{"R64a", "Fx77b"}));
    std::string error;
    const auto result = parseResultLine("*** (1) a", 3, error);
    ASSERT_TRUE(result.has_value());
    EXPECT_EQ(result->lineNumber, 3);
    EXPECT_EQ(result->text, "*** (1) a");
}

TEST(ResultLine, TheAreaBeforeTheSet) {
    for (const auto& [line, area] : std::vector<std::pair<std::string_view, std::int64_t>>{
             {"*** (1) a", 1}, {"*** (4410 @ 17) L112a", 4410}, {"*** (0) b c", 0}}) {
        std::string error;
        const auto result = parseResultLine(line, 1, error);
        ASSERT_TRUE(result.has_value()) << line;
        EXPECT_EQ(result->area, area) << line;
    }
}

TEST(ResultLine, OtherLinesAreNoResults) {
    std::string error;
    for (const char* line : {"Search complete", "", "** (1) a", " *** (1) a", "+++ Maximum"}) {
        EXPECT_FALSE(parseResultLine(line, 1, error).has_value()) << line;
        EXPECT_EQ(error, "") << line;
    }
}

TEST(ResultLine, MalformedResultLinesSayWhy) {
    std::string error;
    EXPECT_FALSE(parseResultLine("*** 120 a b", 1, error).has_value());
    EXPECT_EQ(error, "no area in parentheses");
    EXPECT_FALSE(parseResultLine("*** (120", 1, error).has_value());
    EXPECT_EQ(error, "no area in parentheses");
    for (const char* line : {"*** (area) a", "*** (12x) a", "*** () a", "*** ( 12) a"}) {
        EXPECT_FALSE(parseResultLine(line, 1, error).has_value()) << line;
        EXPECT_EQ(error, "no area in parentheses") << line;
    }
    EXPECT_FALSE(parseResultLine("*** (120)", 1, error).has_value());
    EXPECT_EQ(error, "no variant names");
    EXPECT_FALSE(parseResultLine("*** (120) (p=3)", 1, error).has_value());
    EXPECT_EQ(error, "no variant names");
}

}  // namespace
}  // namespace trelkan
