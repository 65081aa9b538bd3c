// Splitting a set of cells into groups: two cells are in the same group when a chain of cells,
// each within `reach` columns and rows of the next, joins them.
#pragma once

#include <cstdint>
#include <vector>

#include "base/box.h"
#include "life/lifegrid.h"

namespace trelkan::builder {

// Groups in the order of their first cell (row by row); cells of a group row by row.
std::vector<std::vector<LifeCell>> groupCells(const std::vector<LifeCell>& cells,
                                              std::int32_t reach);

inline Box widened(const Box& box, std::int32_t margin) {
    return {box.minX - margin, box.maxX + margin, box.minY - margin, box.maxY + margin};
}

// Cells as a sorted, duplicate-free list.
std::vector<LifeCell> normalisedCells(std::vector<LifeCell> cells);

// Every cell within `reach` of a cell of the set (the set included), sorted.
std::vector<LifeCell> dilatedCells(const std::vector<LifeCell>& cells, std::int32_t reach);

std::vector<LifeCell> movedCells(const std::vector<LifeCell>& cells, std::int32_t dx,
                                 std::int32_t dy);

}  // namespace trelkan::builder
