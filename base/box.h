// An inclusive box of cells.
#pragma once

#include <algorithm>
#include <cstdint>
#include <limits>

namespace trelkan {

struct Box {
    std::int32_t minX = 0;
    std::int32_t maxX = 0;
    std::int32_t minY = 0;
    std::int32_t maxY = 0;
    friend bool operator==(const Box&, const Box&) = default;

    // A box whose least edge lies beyond its greatest holds no cell: the image of a variant whose
    // picture could not be read, or the common part of boxes that do not all meet.
    bool isEmpty() const { return minX > maxX || minY > maxY; }

    bool contains(std::int32_t x, std::int32_t y) const {
        return x >= minX && x <= maxX && y >= minY && y <= maxY;
    }

    // Widens this box to hold the other one too; an empty box adds nothing.
    void include(const Box& other) {
        if (other.isEmpty()) {
            return;
        }
        if (isEmpty()) {
            *this = other;
            return;
        }
        minX = std::min(minX, other.minX);
        maxX = std::max(maxX, other.maxX);
        minY = std::min(minY, other.minY);
        maxY = std::max(maxY, other.maxY);
    }

    // (maxX - minX + 1) * (maxY - minY + 1), 0 for an empty box. Areas beyond the 32-bit range
    // are held at its largest value, so comparisons between areas stay sound.
    std::int32_t area() const {
        if (isEmpty()) {
            return 0;
        }
        const std::int64_t width = std::int64_t{maxX} - minX + 1;
        const std::int64_t height = std::int64_t{maxY} - minY + 1;
        const std::int64_t limit = std::numeric_limits<std::int32_t>::max();
        if (width > limit / height) {
            return std::numeric_limits<std::int32_t>::max();
        }
        return static_cast<std::int32_t>(width * height);
    }

    // A box that holds nothing, to grow with include.
    static constexpr Box none() { return {1, 0, 1, 0}; }
};

// The smallest box holding both; empty boxes add nothing.
inline Box unite(Box a, const Box& b) {
    a.include(b);
    return a;
}

}  // namespace trelkan
