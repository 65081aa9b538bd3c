#include "base/direction.h"

#include <gtest/gtest.h>

#include <array>

namespace trelkan {
namespace {

using Table = std::array<std::array<int, 8>, 8>;

// The composition tables as a Life designer writes them down, row a, column b.
constexpr Table kCombineDirTable = {{
    {kF, kFx, kL, kLx, kB, kBx, kR, kRx},
    {kFx, kF, kRx, kR, kBx, kB, kLx, kL},
    {kL, kLx, kB, kBx, kR, kRx, kF, kFx},
    {kLx, kL, kFx, kF, kRx, kR, kBx, kB},
    {kB, kBx, kR, kRx, kF, kFx, kL, kLx},
    {kBx, kB, kLx, kL, kFx, kF, kRx, kR},
    {kR, kRx, kF, kFx, kL, kLx, kB, kBx},
    {kRx, kR, kBx, kB, kLx, kL, kFx, kF},
}};

constexpr Table kInverseComposeTable = {{
    {kF, kFx, kL, kLx, kB, kBx, kR, kRx},
    {kFx, kF, kRx, kR, kBx, kB, kLx, kL},
    {kR, kRx, kF, kFx, kL, kLx, kB, kBx},
    {kLx, kL, kFx, kF, kRx, kR, kBx, kB},
    {kB, kBx, kR, kRx, kF, kFx, kL, kLx},
    {kBx, kB, kLx, kL, kFx, kF, kRx, kR},
    {kL, kLx, kB, kBx, kR, kRx, kF, kFx},
    {kRx, kR, kBx, kB, kLx, kL, kFx, kF},
}};

TEST(Direction, WordsAreExactAndCaseSensitive) {
    const char* words[] = {"F", "Fx", "L", "Lx", "B", "Bx", "R", "Rx"};
    for (const Direction code : kDirections) {
        EXPECT_EQ(parseDirectionWord(words[code]), code);
        EXPECT_EQ(directionWord(code), words[code]);
    }
    for (const char* bad : {"f", "FX", "fx", "Lx ", "", "X", "Ff"}) {
        EXPECT_FALSE(parseDirectionWord(bad).has_value()) << bad;
    }
}

TEST(Direction, TurnOffsetMapsTheUnitVectors) {
    const std::array<Offset, 8> imageOfX = {
        {{1, 0}, {1, 0}, {0, -1}, {0, -1}, {-1, 0}, {-1, 0}, {0, 1}, {0, 1}}};
    const std::array<Offset, 8> imageOfY = {
        {{0, 1}, {0, -1}, {1, 0}, {-1, 0}, {0, -1}, {0, 1}, {-1, 0}, {1, 0}}};
    for (const Direction code : kDirections) {
        EXPECT_EQ(turnOffset(code, 1, 0), imageOfX[code]) << code;
        EXPECT_EQ(turnOffset(code, 0, 1), imageOfY[code]) << code;
    }
}

TEST(Direction, TablesAgreeWithTheirDefinitions) {
    const Offset probe{3, 7};
    for (const Direction a : kDirections) {
        const Offset back = turnOffset(inverseDir(a), turnOffset(a, probe.x, probe.y).x,
                                       turnOffset(a, probe.x, probe.y).y);
        EXPECT_EQ(back, probe) << "inverse of " << a;
        for (const Direction b : kDirections) {
            EXPECT_EQ(combineDir(a, b), kCombineDirTable[a][b]) << a << "," << b;
            EXPECT_EQ(inverseCompose(a, b), kInverseComposeTable[a][b]) << a << "," << b;
            // combineDirInverse(a, b) turned by b gives a back.
            EXPECT_EQ(combineDir(combineDirInverse(a, b), b), a) << a << "," << b;
            // combineDir is T(a) applied after T(b).
            const Offset inner = turnOffset(b, probe.x, probe.y);
            EXPECT_EQ(turnOffset(combineDir(a, b), probe.x, probe.y),
                      turnOffset(a, inner.x, inner.y));
        }
    }
    EXPECT_EQ(inverseDir(kL), kR);
    EXPECT_EQ(inverseDir(kR), kL);
    EXPECT_EQ(inverseDir(kLx), kLx);
}

TEST(Direction, WrappingArithmetic) {
    EXPECT_EQ(wrapNeg(-2147483647 - 1), -2147483647 - 1);
    EXPECT_EQ(wrapAdd(2147483647, 1), -2147483647 - 1);
    EXPECT_EQ(wrapSub(-2147483647 - 1, 1), 2147483647);
    EXPECT_EQ(turnOffset(kB, -2147483647 - 1, 5), (Offset{-2147483647 - 1, -5}));
}

}  // namespace
}  // namespace trelkan
