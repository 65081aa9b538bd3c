// An inclusive box of cells.
#pragma once

#include <cstdint>

namespace trelkan {

struct Box {
    std::int32_t minX = 0;
    std::int32_t maxX = 0;
    std::int32_t minY = 0;
    std::int32_t maxY = 0;
    friend bool operator==(const Box&, const Box&) = default;
};

}  // namespace trelkan
