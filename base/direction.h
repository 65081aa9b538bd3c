// Direction codes: the eight symmetries of the square grid, and their algebra.
//
// A direction is both an orientation (how a component is turned when it is put down) and a turn
// (how a component turns the signal that passes through it). x grows to the right and y
// downwards, as in RLE images.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string_view>

namespace trelkan {

// The eight codes. Unsigned, so that tables indexed by a direction need no conversion.
enum Direction : std::uint8_t {
    kF = 0,
    kFx = 1,
    kL = 2,
    kLx = 3,
    kB = 4,
    kBx = 5,
    kR = 6,
    kRx = 7,
};

inline constexpr int kDirectionCount = 8;

// Every direction, in code order, for loops over them.
inline constexpr std::array<Direction, kDirectionCount> kDirections = {kF, kFx, kL, kLx,
                                                                       kB, kBx, kR, kRx};

// The direction of a code from 0 to 7.
constexpr Direction directionOf(int code) {
    return static_cast<Direction>(code & 7);
}

// The two classes a direction has in every chain: whether it is a mirror image, and whether it
// is a quarter turn. Each component that turns so flips the class of the chain's direction.
constexpr bool isMirror(Direction dir) {
    return dir == kFx || dir == kLx || dir == kBx || dir == kRx;
}
constexpr bool isQuarterTurn(Direction dir) {
    return dir == kL || dir == kLx || dir == kR || dir == kRx;
}

struct Offset {
    std::int32_t x = 0;
    std::int32_t y = 0;
    friend bool operator==(const Offset&, const Offset&) = default;
};

// Negation and subtraction that wrap modulo 2^32 instead of overflowing: offsets come from the
// command line and from target scripts, whose arithmetic wraps by definition.
constexpr std::int32_t wrapNeg(std::int32_t v) {
    return static_cast<std::int32_t>(0u - static_cast<std::uint32_t>(v));
}
constexpr std::int32_t wrapAdd(std::int32_t a, std::int32_t b) {
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(a) + static_cast<std::uint32_t>(b));
}
constexpr std::int32_t wrapSub(std::int32_t a, std::int32_t b) {
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(a) - static_cast<std::uint32_t>(b));
}

// The word of a code ("F", "Fx", ...), and the code of a word; words are case-sensitive.
std::string_view directionWord(Direction code);
std::optional<Direction> parseDirectionWord(std::string_view word);

// T(code) applied to (x, y): F (x, y), Fx (x, -y), L (y, -x), Lx (-y, -x), B (-x, -y),
// Bx (-x, y), R (-y, x), Rx (y, x).
Offset turnOffset(Direction code, std::int32_t x, std::int32_t y);

// The code of T(code)^-1. Every code is its own inverse except L and R.
Direction inverseDir(Direction code);

// code(T(a) o T(b)): a thing that turns by b, put down in orientation a, ends up facing this.
Direction combineDir(Direction a, Direction b);
// code(T(a) o T(b)^-1).
Direction combineDirInverse(Direction a, Direction b);
// code(T(a)^-1 o T(b)): orientation b as seen from orientation a.
Direction inverseCompose(Direction a, Direction b);

}  // namespace trelkan
