#include "tools/catalogue/picture.h"

#include <algorithm>

namespace trelkan::builder {

std::optional<Picture> Picture::fromPattern(const RlePattern& pattern, std::string& error) {
    std::int64_t width = 0;
    std::int64_t height = 0;
    for (const StateCell& cell : pattern.cells) {
        if (cell.x < 0 || cell.y < 0) {
            error = "the pattern has cells left of or above its top left corner";
            return std::nullopt;
        }
        width = std::max<std::int64_t>(width, std::int64_t{cell.x} + 1);
        height = std::max<std::int64_t>(height, std::int64_t{cell.y} + 1);
    }
    if (width * height > kMaxArea) {
        error = "the pattern is too large (" + std::to_string(width) + " x " +
                std::to_string(height) + " cells)";
        return std::nullopt;
    }
    Picture picture;
    picture.m_width = static_cast<std::int32_t>(width);
    picture.m_height = static_cast<std::int32_t>(height);
    picture.m_states.assign(static_cast<std::size_t>(width * height), kEmpty);
    for (const StateCell& cell : pattern.cells) {
        picture.m_states[static_cast<std::size_t>(cell.y) * static_cast<std::size_t>(width) +
                         static_cast<std::size_t>(cell.x)] = static_cast<std::uint8_t>(cell.state);
    }
    return picture;
}

std::vector<LifeCell> Picture::cellsOfState(std::uint8_t wanted) const {
    std::vector<LifeCell> cells;
    for (std::int32_t y = 0; y < m_height; ++y) {
        for (std::int32_t x = 0; x < m_width; ++x) {
            if (state(x, y) == wanted) {
                cells.push_back({x, y});
            }
        }
    }
    return cells;
}

}  // namespace trelkan::builder
