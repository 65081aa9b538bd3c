#include "life/herschel.h"

#include <algorithm>
#include <array>
#include <cassert>

#include "base/direction.h"

namespace trelkan {
namespace {

struct CellOffset {
    std::int32_t x;
    std::int32_t y;
};

// Facing F, relative to the reference cell.
constexpr std::array<CellOffset, 7> kHerschel = {
    {{-1, -2}, {-1, -1}, {1, -1}, {-1, 0}, {0, 0}, {1, 0}, {1, 1}}};

constexpr std::array<CellOffset, 12> kPredecessor = {{{-3, -3},
                                                      {-4, -2},
                                                      {-1, -2},
                                                      {-4, -1},
                                                      {0, -1},
                                                      {-4, 0},
                                                      {0, 0},
                                                      {-5, 1},
                                                      {-4, 1},
                                                      {0, 1},
                                                      {-4, 2},
                                                      {-1, 2}}};

template <std::size_t N>
std::vector<LifeCell> placed(const std::array<CellOffset, N>& shape, std::int32_t x, std::int32_t y,
                             Direction dir) {
    std::vector<LifeCell> cells;
    for (const CellOffset& offset : shape) {
        const Offset turned = turnOffset(dir, offset.x, offset.y);
        cells.push_back({x + turned.x, y + turned.y});
    }
    std::sort(cells.begin(), cells.end());
    return cells;
}

}  // namespace

std::vector<LifeCell> herschelCells(std::int32_t x, std::int32_t y, Direction dir) {
    return placed(kHerschel, x, y, dir);
}

std::vector<LifeCell> predecessorCells(std::int32_t x, std::int32_t y, Direction dir) {
    return placed(kPredecessor, x, y, dir);
}

bool hasIsolated(const LifeGrid& grid, const std::vector<LifeCell>& pattern,
                 const std::vector<LifeCell>& allowed) {
    assert(std::is_sorted(allowed.begin(), allowed.end()));
    for (const LifeCell& cell : pattern) {
        if (!grid.get(cell.x, cell.y)) {
            return false;
        }
    }
    for (const LifeCell& cell : pattern) {
        for (std::int32_t dy = -1; dy <= 1; ++dy) {
            for (std::int32_t dx = -1; dx <= 1; ++dx) {
                const LifeCell near{cell.x + dx, cell.y + dy};
                if (grid.get(near.x, near.y) &&
                    std::find(pattern.begin(), pattern.end(), near) == pattern.end() &&
                    !std::binary_search(allowed.begin(), allowed.end(), near)) {
                    return false;
                }
            }
        }
    }
    return true;
}

}  // namespace trelkan
