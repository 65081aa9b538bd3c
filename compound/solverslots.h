// Working records of the variant solver: one per candidate variant of a place, and one per
// place. They live in arrays that the chain allocates once, so that solving allocates nothing.
// Records refer to each other by index: candidate records by their slot number (their position
// among all candidates, which is also their row and column of the coexistence matrix), place
// records by the place's index in the chain.
#pragma once

#include <algorithm>
#include <cstdint>
#include <limits>

#include "base/box.h"

namespace trelkan {

// One candidate variant of one place.
struct VariantSlot {
    // Cleared once the candidate is eliminated; never set again within one solve.
    bool alive = false;
    // The index of the candidate's place.
    std::int32_t owner = 0;
    // Chosen candidates of places decided earlier that cannot coexist with this one.
    std::int32_t conflicts = 0;
    // The candidate's box at its place, kNoCells when its variant has no cells (minimising only).
    Box box;
    // Ordering key: how much the candidate would grow the chain's box (minimising only).
    std::int32_t extra = 0;
    // Position of the variant in the place's list of variants.
    std::int32_t variantIndex = 0;
};

// One place of the chain, and one position of the minimiser's order of decision.
struct ComponentSlot {
    std::int32_t alive = 0;
    // Alive candidates that no chosen candidate conflicts with.
    std::int32_t free = 0;
    // The place's candidate records are the slots begin to end - 1.
    std::int32_t begin = 0;
    std::int32_t end = 0;
    // The candidate chosen for the place; end before the first choice.
    std::int32_t cursor = 0;
    // The largest extra of the place's alive candidates (minimising only).
    std::int32_t maxExtra = 0;
    // Minimising, by position: the place decided at this position, and the box of the choices
    // made up to it.
    std::int32_t order = 0;
    Box box;
};

// The minimiser bounds every solution's box side by side: a box B says that every solution's box
// reaches at least as far as B on each of its four sides. B need not be a proper box: when the
// candidates of a place do not all overlap, its left side may lie right of its right side. A side
// that nothing is known about lies at the far end of the range, so that min and max merge bounds
// without tests; kNoCells knows nothing about any side, and is also the box of a variant with no
// cells, which adds nothing to a solution.
inline constexpr Box kNoCells{
    std::numeric_limits<std::int32_t>::max(), std::numeric_limits<std::int32_t>::min(),
    std::numeric_limits<std::int32_t>::max(), std::numeric_limits<std::int32_t>::min()};

// A candidate's box as the bounds use it: a box that holds nothing (no image, or one that wrapped
// around the coordinate range, which the chain's own box also skips) becomes kNoCells.
inline Box reachOf(const Box& box) {
    return box.isEmpty() ? kNoCells : box;
}

// Both bounds at once: each side as far out as either takes it.
inline Box widen(const Box& a, const Box& b) {
    return {std::min(a.minX, b.minX), std::max(a.maxX, b.maxX), std::min(a.minY, b.minY),
            std::max(a.maxY, b.maxY)};
}

// Whether a candidate's box stays within the bound on every side, so that choosing it cannot
// move any side of a box that already reaches the bound.
inline bool staysInside(const Box& box, const Box& bound) {
    return box.minX >= bound.minX && box.maxX <= bound.maxX && box.minY >= bound.minY &&
           box.maxY <= bound.maxY;
}

// The least area of a box that reaches a bound: a solution's box is at least one cell wide and
// high, and at least as wide and high as the bound's sides are apart. Computed in 64 bits and
// held at the largest 32-bit value, as Box::area is.
inline std::int32_t leastArea(const Box& bound) {
    const std::int64_t width = std::max<std::int64_t>(1, std::int64_t{bound.maxX} - bound.minX + 1);
    const std::int64_t height =
        std::max<std::int64_t>(1, std::int64_t{bound.maxY} - bound.minY + 1);
    const std::int64_t limit = std::numeric_limits<std::int32_t>::max();
    if (width > limit / height) {
        return std::numeric_limits<std::int32_t>::max();
    }
    return static_cast<std::int32_t>(width * height);
}

}  // namespace trelkan
