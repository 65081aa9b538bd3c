#include "tools/catalogue/cellgroups.h"

#include <algorithm>
#include <unordered_map>

namespace trelkan::builder {
namespace {

std::uint64_t key(std::int32_t x, std::int32_t y) {
    return (static_cast<std::uint64_t>(static_cast<std::uint32_t>(x)) << 32) |
           static_cast<std::uint32_t>(y);
}

}  // namespace

std::vector<std::vector<LifeCell>> groupCells(const std::vector<LifeCell>& cells,
                                              std::int32_t reach) {
    const std::vector<LifeCell> sorted = normalisedCells(cells);
    // Cell key to its position in sorted, and whether it has been put in a group.
    std::unordered_map<std::uint64_t, std::size_t> positions;
    for (std::size_t i = 0; i < sorted.size(); ++i) {
        positions.emplace(key(sorted[i].x, sorted[i].y), i);
    }
    std::vector<bool> grouped(sorted.size(), false);
    std::vector<std::vector<LifeCell>> groups;
    for (std::size_t first = 0; first < sorted.size(); ++first) {
        if (grouped[first]) {
            continue;
        }
        std::vector<LifeCell> group;
        std::vector<std::size_t> pending = {first};
        grouped[first] = true;
        while (!pending.empty()) {
            const LifeCell cell = sorted[pending.back()];
            pending.pop_back();
            group.push_back(cell);
            for (std::int32_t dy = -reach; dy <= reach; ++dy) {
                for (std::int32_t dx = -reach; dx <= reach; ++dx) {
                    const auto found = positions.find(key(cell.x + dx, cell.y + dy));
                    if (found != positions.end() && !grouped[found->second]) {
                        grouped[found->second] = true;
                        pending.push_back(found->second);
                    }
                }
            }
        }
        std::sort(group.begin(), group.end());
        groups.push_back(std::move(group));
    }
    return groups;
}

std::vector<LifeCell> normalisedCells(std::vector<LifeCell> cells) {
    std::sort(cells.begin(), cells.end());
    cells.erase(std::unique(cells.begin(), cells.end()), cells.end());
    return cells;
}

std::vector<LifeCell> dilatedCells(const std::vector<LifeCell>& cells, std::int32_t reach) {
    std::vector<LifeCell> result;
    result.reserve(cells.size() * static_cast<std::size_t>((2 * reach + 1) * (2 * reach + 1)));
    for (const LifeCell& cell : cells) {
        for (std::int32_t dy = -reach; dy <= reach; ++dy) {
            for (std::int32_t dx = -reach; dx <= reach; ++dx) {
                result.push_back({cell.x + dx, cell.y + dy});
            }
        }
    }
    return normalisedCells(std::move(result));
}

std::vector<LifeCell> movedCells(const std::vector<LifeCell>& cells, std::int32_t dx,
                                 std::int32_t dy) {
    std::vector<LifeCell> moved;
    moved.reserve(cells.size());
    for (const LifeCell& cell : cells) {
        moved.push_back({cell.x + dx, cell.y + dy});
    }
    return moved;
}

}  // namespace trelkan::builder
