// Gliders: recognising one among live cells, and naming its whole path through space-time, so
// that two sightings of the same glider (at different generations, or seen from another frame)
// compare equal.
#pragma once

#include <compare>
#include <cstdint>
#include <optional>
#include <vector>

#include "base/direction.h"
#include "life/lifegrid.h"

namespace trelkan::builder {

// A glider's path: its velocity (each coordinate +1 or -1 per four generations) and the corner
// of its cells' box at the generation of its reference phase that falls in 0..3.
struct GliderPath {
    std::int32_t vx = 0;
    std::int32_t vy = 0;
    // The generation, 0 to 3, at which the glider shows its reference phase.
    std::int32_t phaseTime = 0;
    std::int32_t cornerX = 0;
    std::int32_t cornerY = 0;
    friend auto operator<=>(const GliderPath&, const GliderPath&) = default;
};

// The velocity of the glider these five cells make, or nothing when they make none.
std::optional<Offset> gliderVelocity(const std::vector<LifeCell>& cells);

// The path of the glider whose cells these are at the generation; nothing when they are not a
// glider.
std::optional<GliderPath> gliderPath(const std::vector<LifeCell>& cells, std::int64_t generation);

// The glider's cells at a generation.
std::vector<LifeCell> gliderCells(const GliderPath& path, std::int64_t generation);

// The path seen after turning space by T(dir), moving it by (dx, dy), and delaying time by dt.
GliderPath movedPath(const GliderPath& path, Direction dir, std::int32_t dx, std::int32_t dy,
                     std::int64_t dt);

// One B3/S23 generation of a small set of cells, for tables and lone patterns.
std::vector<LifeCell> stepCells(const std::vector<LifeCell>& cells);

}  // namespace trelkan::builder
