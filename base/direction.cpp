#include "base/direction.h"

#include <array>
#include <cassert>

namespace trelkan {
namespace {

constexpr std::array<std::string_view, kDirectionCount> kWords = {"F", "Fx", "L", "Lx",
                                                                  "B", "Bx", "R", "Rx"};

// Each code as the integer matrix [[a, b], [c, d]] that maps (x, y) to (ax + by, cx + dy).
struct Matrix {
    int a, b, c, d;
    friend constexpr bool operator==(const Matrix&, const Matrix&) = default;
};

constexpr std::array<Matrix, kDirectionCount> kMatrices = {{
    {1, 0, 0, 1},    // F  (x, y)
    {1, 0, 0, -1},   // Fx (x, -y)
    {0, 1, -1, 0},   // L  (y, -x)
    {0, -1, -1, 0},  // Lx (-y, -x)
    {-1, 0, 0, -1},  // B  (-x, -y)
    {-1, 0, 0, 1},   // Bx (-x, y)
    {0, -1, 1, 0},   // R  (-y, x)
    {0, 1, 1, 0},    // Rx (y, x)
}};

constexpr Matrix multiply(const Matrix& p, const Matrix& q) {
    return {p.a * q.a + p.b * q.c, p.a * q.b + p.b * q.d, p.c * q.a + p.d * q.c,
            p.c * q.b + p.d * q.d};
}

// The symmetries are orthogonal, so the inverse is the transpose.
constexpr Matrix transpose(const Matrix& m) {
    return {m.a, m.c, m.b, m.d};
}

constexpr Direction codeOf(const Matrix& m) {
    for (const Direction code : kDirections) {
        if (kMatrices[code] == m) {
            return code;
        }
    }
    return kF;
}

using Table = std::array<std::array<Direction, kDirectionCount>, kDirectionCount>;

// The three composition tables follow from the matrices; they are built at compile time so that
// a lookup is all that runs.
template <typename Compose>
constexpr Table makeTable(Compose compose) {
    Table table{};
    for (const Direction a : kDirections) {
        for (const Direction b : kDirections) {
            table[a][b] = codeOf(compose(kMatrices[a], kMatrices[b]));
        }
    }
    return table;
}

constexpr Table kCombine =
    makeTable([](const Matrix& a, const Matrix& b) { return multiply(a, b); });
constexpr Table kCombineInverse =
    makeTable([](const Matrix& a, const Matrix& b) { return multiply(a, transpose(b)); });
constexpr Table kInverseCompose =
    makeTable([](const Matrix& a, const Matrix& b) { return multiply(transpose(a), b); });

constexpr std::array<Direction, kDirectionCount> kInverse = [] {
    std::array<Direction, kDirectionCount> inverse{};
    for (const Direction code : kDirections) {
        inverse[code] = codeOf(transpose(kMatrices[code]));
    }
    return inverse;
}();

static_assert(kCombine[kL][kL] == kB && kInverse[kL] == kR && kInverse[kRx] == kRx);

}  // namespace

std::string_view directionWord(Direction code) {
    assert(code < kDirectionCount);
    return kWords[code];
}

std::optional<Direction> parseDirectionWord(std::string_view word) {
    for (const Direction code : kDirections) {
        if (kWords[code] == word) {
            return code;
        }
    }
    return std::nullopt;
}

Offset turnOffset(Direction code, std::int32_t x, std::int32_t y) {
    switch (code) {
        case kF:
            return {x, y};
        case kFx:
            return {x, wrapNeg(y)};
        case kL:
            return {y, wrapNeg(x)};
        case kLx:
            return {wrapNeg(y), wrapNeg(x)};
        case kB:
            return {wrapNeg(x), wrapNeg(y)};
        case kBx:
            return {wrapNeg(x), y};
        case kR:
            return {wrapNeg(y), x};
        case kRx:
            return {y, x};
        default:
            return {x, y};
    }
}

Direction inverseDir(Direction code) {
    return kInverse[code];
}
Direction combineDir(Direction a, Direction b) {
    return kCombine[a][b];
}
Direction combineDirInverse(Direction a, Direction b) {
    return kCombineInverse[a][b];
}
Direction inverseCompose(Direction a, Direction b) {
    return kInverseCompose[a][b];
}

}  // namespace trelkan
