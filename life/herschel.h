// The Herschel, the signal that conduits pass on, and the 12-cell predecessor that most conduits
// build it from.
//
// Positions are those of the reference cell, the centre of the Herschel's row of three.
// Orientation F is the Herschel as inputs are drawn in the conduit collection: the heptomino
// o$obo$3o$2bo!, which travels towards +x. The other orientations are F turned by the direction
// codes (x right, y down).
#pragma once

#include <cstdint>
#include <vector>

#include "base/direction.h"
#include "life/lifegrid.h"

namespace trelkan {

// The seven cells of a Herschel at (x, y) facing dir.
std::vector<LifeCell> herschelCells(std::int32_t x, std::int32_t y, Direction dir);

// The predecessor that becomes the Herschel at (x, y) facing dir four generations later.
std::vector<LifeCell> predecessorCells(std::int32_t x, std::int32_t y, Direction dir);

// The generations from a predecessor to its Herschel.
inline constexpr int kPredecessorLead = 4;

// The cells of the pattern are alive and every cell next to one of them is dead, except the
// allowed ones (sorted): a conduit may keep a catalyst close behind a signal.
bool hasIsolated(const LifeGrid& grid, const std::vector<LifeCell>& pattern,
                 const std::vector<LifeCell>& allowed = {});

inline bool hasHerschel(const LifeGrid& grid, std::int32_t x, std::int32_t y, Direction dir) {
    return hasIsolated(grid, herschelCells(x, y, dir));
}

}  // namespace trelkan
