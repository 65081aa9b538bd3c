#include "tools/catalogue/signal.h"

#include <algorithm>

namespace trelkan::builder {

std::vector<LifeCell> tailBlockAt(const SignalPlace& place) {
    return cellsInFrame(place, {{3, 0}, {4, 0}, {3, 1}, {4, 1}});
}

LifeCell cellInFrame(const SignalPlace& frame, const LifeCell& local) {
    const Offset turned = turnOffset(frame.dir, local.x, local.y);
    return {frame.x + turned.x, frame.y + turned.y};
}

std::vector<LifeCell> cellsInFrame(const SignalPlace& frame, const std::vector<LifeCell>& local) {
    std::vector<LifeCell> cells;
    cells.reserve(local.size());
    for (const LifeCell& cell : local) {
        cells.push_back(cellInFrame(frame, cell));
    }
    std::sort(cells.begin(), cells.end());
    return cells;
}

Box boxInFrame(const SignalPlace& frame, const Box& local) {
    if (local.isEmpty()) {
        return local;
    }
    const LifeCell a = cellInFrame(frame, {local.minX, local.minY});
    const LifeCell b = cellInFrame(frame, {local.maxX, local.maxY});
    return {std::min(a.x, b.x), std::max(a.x, b.x), std::min(a.y, b.y), std::max(a.y, b.y)};
}

SignalPlace placeInFrame(const SignalPlace& frame, const SignalPlace& local) {
    const LifeCell at = cellInFrame(frame, {local.x, local.y});
    return {at.x, at.y, combineDir(frame.dir, local.dir)};
}

}  // namespace trelkan::builder
