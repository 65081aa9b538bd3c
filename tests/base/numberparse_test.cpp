#include "base/numberparse.h"

#include <gtest/gtest.h>

#include <limits>
#include <tuple>

namespace trelkan {
namespace {

constexpr std::int32_t kMin = std::numeric_limits<std::int32_t>::min();
constexpr std::int32_t kMax = std::numeric_limits<std::int32_t>::max();

void expectReading(NumberReading reading, std::int32_t value, bool valid) {
    EXPECT_EQ(reading.value, value);
    EXPECT_EQ(reading.valid, valid);
}

TEST(NumberParse, UnsignedWrapsIntoSigned) {
    expectReading(readUnsignedNumber("30"), 30, true);
    expectReading(readUnsignedNumber(" \t+30"), 30, true);
    expectReading(readUnsignedNumber("-5"), -5, true);
    expectReading(readUnsignedNumber("2147483648"), kMin, true);
    expectReading(readUnsignedNumber("4294967295"), -1, true);
    // Beyond 2^32 - 1 the magnitude saturates before the sign is applied.
    expectReading(readUnsignedNumber("4294967296"), -1, true);
    expectReading(readUnsignedNumber("99999999999999999999999999"), -1, true);
    expectReading(readUnsignedNumber("-4294967295"), 1, true);
    expectReading(readUnsignedNumber("-99999999999999999999999999"), 1, true);
}

TEST(NumberParse, CountsPassThirtyTwoBits) {
    const std::tuple<const char*, std::int64_t, bool> cases[] = {
        {"30", 30, true},
        {"-5", -5, true},
        {"4294967295", -1, true},  // as an unsigned number reads
        {"-4294967296", 1, true},
        {"4294967296", 4294967296, true},
        {"5000000000x", 5000000000, false},
        {"99999999999999999999999999", 999999999999999999, true},
    };
    for (const auto& [text, value, valid] : cases) {
        const CountReading reading = readUnsignedCount(text);
        EXPECT_EQ(reading.value, value) << text;
        EXPECT_EQ(reading.valid, valid) << text;
    }
}

TEST(NumberParse, SignedSaturatesAtTheBounds) {
    expectReading(readSignedNumber("-2147483648"), kMin, true);
    expectReading(readSignedNumber("2147483647"), kMax, true);
    expectReading(readSignedNumber("2147483648"), kMax, true);
    expectReading(readSignedNumber("-2147483649"), kMin, true);
    expectReading(readSignedNumber("-99999999999999999999999999"), kMin, true);
    expectReading(readSignedNumber("+0"), 0, true);
}

TEST(NumberParse, LeftoverCharactersMakeItInvalidButKeepTheValue) {
    expectReading(readUnsignedNumber("12x"), 12, false);
    expectReading(readUnsignedNumber("12 "), 12, false);
    expectReading(readSignedNumber("-7.5"), -7, false);
    // No digits: nothing is read, and only the empty text is valid.
    expectReading(readUnsignedNumber(""), 0, true);
    expectReading(readUnsignedNumber(" "), 0, false);
    expectReading(readUnsignedNumber("-"), 0, false);
    expectReading(readSignedNumber("+"), 0, false);
    expectReading(readSignedNumber("x1"), 0, false);
}

}  // namespace
}  // namespace trelkan
