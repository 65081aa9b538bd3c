#include "tools/catalogue/variantmaps.h"

#include <algorithm>
#include <cassert>
#include <limits>

#include "tools/catalogue/cellgroups.h"
#include "tools/catalogue/glider.h"

namespace trelkan::builder {
namespace {

std::int64_t cellCount(const Box& box) {
    return (std::int64_t{box.maxX} - box.minX + 1) * (std::int64_t{box.maxY} - box.minY + 1);
}

Box clippedTo(const Box& box, const Box& bound) {
    return {std::max(box.minX, bound.minX), std::min(box.maxX, bound.maxX),
            std::max(box.minY, bound.minY), std::min(box.maxY, bound.maxY)};
}

// One step of the rectangle along a glider's direction of travel.
Box grownTowards(Box box, const GliderPath& path) {
    (path.vx > 0 ? box.maxX : box.minX) += path.vx;
    (path.vy > 0 ? box.maxY : box.minY) += path.vy;
    return box;
}

// The glider has gone past the rectangle in its direction of travel.
bool beyond(const Box& glider, const GliderPath& path, const Box& box) {
    return (path.vx > 0 ? glider.minX > box.maxX : glider.maxX < box.minX) ||
           (path.vy > 0 ? glider.minY > box.maxY : glider.maxY < box.minY);
}

// The lane's cells inside the rectangle, widened by one like the rest of the usage.
std::vector<LifeCell> laneCells(const EmittedGlider& glider, const Box& box) {
    std::vector<LifeCell> lane;
    for (std::int64_t g = glider.generation;; ++g) {
        const std::vector<LifeCell> cells = gliderCells(glider.path, g);
        const Box at = widened(boxOf(cells), 1);
        if (beyond(at, glider.path, box)) {
            break;
        }
        for (const LifeCell& cell : dilatedCells(cells, 1)) {
            if (box.contains(cell.x, cell.y)) {
                lane.push_back(cell);
            }
        }
    }
    return lane;
}

// The catalysts and the cells used widened by one, then the lanes: the rectangle grows along
// them in turn, one step each, while it stays within the size limit and the bound.
VariantMaps mapsOf(const ProvenConduit& conduit, std::vector<LifeCell> core, const Box& bound) {
    VariantMaps maps;
    maps.image = conduit.catalysts;
    core.insert(core.end(), conduit.catalysts.begin(), conduit.catalysts.end());
    maps.usage = dilatedCells(normalisedCells(std::move(core)), 1);
    maps.rectangle = boxOf(maps.usage);
    assert(cellCount(maps.rectangle) <= kMaxMapCells);
    assert(clippedTo(maps.rectangle, bound) == maps.rectangle);

    std::vector<const EmittedGlider*> growing;
    for (const EmittedGlider& glider : conduit.gliders) {
        growing.push_back(&glider);
    }
    while (!growing.empty()) {
        std::vector<const EmittedGlider*> still;
        for (const EmittedGlider* glider : growing) {
            const Box grown = clippedTo(grownTowards(maps.rectangle, glider->path), bound);
            if (grown != maps.rectangle && cellCount(grown) <= kMaxMapCells) {
                maps.rectangle = grown;
                still.push_back(glider);
            }
        }
        growing = std::move(still);
    }
    for (const EmittedGlider& glider : conduit.gliders) {
        const std::vector<LifeCell> lane = laneCells(glider, maps.rectangle);
        maps.usage.insert(maps.usage.end(), lane.begin(), lane.end());
        ++maps.laneCount;
    }
    maps.usage = normalisedCells(std::move(maps.usage));
    return maps;
}

}  // namespace

VariantMaps buildVariantMaps(const ProvenConduit& conduit) {
    constexpr std::int32_t kFar = std::numeric_limits<std::int32_t>::max() / 2;
    return mapsOf(conduit, conduit.everAlive, {-kFar, kFar, -kFar, kFar});
}

VariantMaps buildPassageMaps(const ProvenConduit& conduit, const Box& fullRectangle) {
    return mapsOf(conduit, conduit.passageAlive, fullRectangle);
}

}  // namespace trelkan::builder
