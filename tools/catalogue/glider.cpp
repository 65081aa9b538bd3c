#include "tools/catalogue/glider.h"

#include <algorithm>
#include <array>
#include <cassert>
#include <map>

namespace trelkan::builder {
namespace {

struct Corner {
    std::int32_t x = 0;
    std::int32_t y = 0;
};

Corner cornerOf(const std::vector<LifeCell>& cells) {
    Corner corner{cells.front().x, cells.front().y};
    for (const LifeCell& cell : cells) {
        corner.x = std::min(corner.x, cell.x);
        corner.y = std::min(corner.y, cell.y);
    }
    return corner;
}

std::vector<LifeCell> normalised(const std::vector<LifeCell>& cells) {
    const Corner corner = cornerOf(cells);
    std::vector<LifeCell> shape;
    for (const LifeCell& cell : cells) {
        shape.push_back({cell.x - corner.x, cell.y - corner.y});
    }
    std::sort(shape.begin(), shape.end());
    return shape;
}

// One phase of a glider of one velocity: its shape, and where its box's corner lies relative to
// the corner at the reference phase of the same period.
struct Phase {
    std::int32_t vx = 0;
    std::int32_t vy = 0;
    std::int32_t age = 0;
    std::vector<LifeCell> shape;
    Corner shift;
};

std::vector<Phase> makePhases() {
    // bo$2bo$3o travels towards +x and +y; the other velocities are its mirror images.
    const std::vector<LifeCell> southEast = {{1, 0}, {2, 1}, {0, 2}, {1, 2}, {2, 2}};
    std::vector<Phase> phases;
    for (const std::int32_t vx : {1, -1}) {
        for (const std::int32_t vy : {1, -1}) {
            std::vector<LifeCell> cells;
            for (const LifeCell& cell : southEast) {
                cells.push_back({cell.x * vx, cell.y * vy});
            }
            const Corner start = cornerOf(cells);
            for (std::int32_t age = 0; age < 4; ++age) {
                const Corner corner = cornerOf(cells);
                phases.push_back(
                    {vx, vy, age, normalised(cells), {corner.x - start.x, corner.y - start.y}});
                cells = stepCells(cells);
            }
            [[maybe_unused]] const Corner end = cornerOf(cells);
            assert(end.x - start.x == vx && end.y - start.y == vy);
        }
    }
    return phases;
}

const std::vector<Phase>& phases() {
    static const std::vector<Phase> table = makePhases();
    return table;
}

const Phase* findPhase(const std::vector<LifeCell>& cells) {
    if (cells.size() != 5) {
        return nullptr;
    }
    const std::vector<LifeCell> shape = normalised(cells);
    for (const Phase& phase : phases()) {
        if (phase.shape == shape) {
            return &phase;
        }
    }
    return nullptr;
}

std::int64_t floorMod4(std::int64_t value) {
    return ((value % 4) + 4) % 4;
}

}  // namespace

std::vector<LifeCell> stepCells(const std::vector<LifeCell>& cells) {
    std::map<LifeCell, int> neighbours;
    for (const LifeCell& cell : cells) {
        for (std::int32_t dy = -1; dy <= 1; ++dy) {
            for (std::int32_t dx = -1; dx <= 1; ++dx) {
                if (dx != 0 || dy != 0) {
                    ++neighbours[{cell.x + dx, cell.y + dy}];
                }
            }
        }
    }
    std::vector<LifeCell> sorted = cells;
    std::sort(sorted.begin(), sorted.end());
    std::vector<LifeCell> next;
    for (const auto& [cell, count] : neighbours) {
        const bool alive = std::binary_search(sorted.begin(), sorted.end(), cell);
        if (count == 3 || (count == 2 && alive)) {
            next.push_back(cell);
        }
    }
    return next;
}

std::optional<Offset> gliderVelocity(const std::vector<LifeCell>& cells) {
    const Phase* phase = findPhase(cells);
    if (phase == nullptr) {
        return std::nullopt;
    }
    return Offset{phase->vx, phase->vy};
}

std::optional<GliderPath> gliderPath(const std::vector<LifeCell>& cells, std::int64_t generation) {
    const Phase* phase = findPhase(cells);
    if (phase == nullptr) {
        return std::nullopt;
    }
    // Back to the reference phase, then back by whole periods to the generation in 0..3.
    const Corner corner = cornerOf(cells);
    const std::int64_t reference = generation - phase->age;
    const std::int64_t phaseTime = floorMod4(reference);
    const std::int64_t periods = (reference - phaseTime) / 4;
    GliderPath path;
    path.vx = phase->vx;
    path.vy = phase->vy;
    path.phaseTime = static_cast<std::int32_t>(phaseTime);
    path.cornerX = static_cast<std::int32_t>(corner.x - phase->shift.x - periods * phase->vx);
    path.cornerY = static_cast<std::int32_t>(corner.y - phase->shift.y - periods * phase->vy);
    return path;
}

std::vector<LifeCell> gliderCells(const GliderPath& path, std::int64_t generation) {
    const std::int64_t age = floorMod4(generation - path.phaseTime);
    const std::int64_t periods = (generation - age - path.phaseTime) / 4;
    for (const Phase& phase : phases()) {
        if (phase.vx == path.vx && phase.vy == path.vy && phase.age == age) {
            const auto x =
                static_cast<std::int32_t>(path.cornerX + periods * path.vx + phase.shift.x);
            const auto y =
                static_cast<std::int32_t>(path.cornerY + periods * path.vy + phase.shift.y);
            std::vector<LifeCell> cells;
            for (const LifeCell& cell : phase.shape) {
                cells.push_back({cell.x + x, cell.y + y});
            }
            return cells;
        }
    }
    assert(false && "every velocity has four phases");
    return {};
}

GliderPath movedPath(const GliderPath& path, Direction dir, std::int32_t dx, std::int32_t dy,
                     std::int64_t dt) {
    std::vector<LifeCell> cells;
    for (const LifeCell& cell : gliderCells(path, path.phaseTime)) {
        const Offset turned = turnOffset(dir, cell.x, cell.y);
        cells.push_back({turned.x + dx, turned.y + dy});
    }
    const std::optional<GliderPath> moved = gliderPath(cells, path.phaseTime + dt);
    assert(moved.has_value());
    return *moved;
}

}  // namespace trelkan::builder
